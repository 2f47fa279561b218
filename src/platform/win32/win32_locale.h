#pragma once

#include "platform/locale.h"

namespace vtrl::win32 {

class Win32Locale final : public platform::Locale {
public:
    std::wstring EnglishCountryName() override;
    std::string ToAnsi(std::wstring_view text) override;
    std::wstring FromAnsi(std::string_view bytes) override;
};

} // namespace vtrl::win32
