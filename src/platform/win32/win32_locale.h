#pragma once

#include "platform/locale.h"

namespace vtrl::win32 {

class Win32Locale final : public platform::Locale {
public:
    std::wstring EnglishCountryName() override;
    std::string ToAnsi(std::wstring_view text) override;
    std::wstring FromAnsi(std::string_view bytes) override;
    std::string ToOem(std::wstring_view text) override;
    std::optional<std::string> ToAnsiExact(std::wstring_view text) override;
    std::optional<std::string> ToOemExact(std::wstring_view text) override;
    std::optional<std::wstring> FromAnsiExact(std::string_view bytes) override;
    std::wstring ToLower(std::wstring_view text) override;
    std::wstring ToUpper(std::wstring_view text) override;
    std::wstring FormatDateTime(const platform::LocalTime& time) override;
    std::optional<platform::LocalTime> ParseDateTime(const std::wstring& text) override;
};

class Win32Clock final : public platform::Clock {
public:
    platform::LocalTime Now() override;
    platform::LocalTime UtcNow() override;
    std::optional<platform::LocalTime> LocalOfUtc(const platform::LocalTime& utc) override;
};

} // namespace vtrl::win32
