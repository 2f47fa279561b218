#pragma once
// The user's locale: country name, the ANSI code page of stored text files, case mapping and
// date texts.

#include "platform/clock.h"

#include <optional>
#include <string>
#include <string_view>

namespace vtrl::platform {

class Locale {
public:
    virtual ~Locale() = default;
    // The locale's English country name as the system returns it (may carry a trailing NUL).
    virtual std::wstring EnglishCountryName() = 0;
    // Conversions between memory (UTF-16) and files (the system ANSI code page).
    virtual std::string ToAnsi(std::wstring_view text) = 0;
    virtual std::wstring FromAnsi(std::string_view bytes) = 0;
    // Text for the command interpreter, which reads batch files in the OEM code page.
    virtual std::string ToOem(std::wstring_view text) = 0;
    // The same conversions without loss: nullopt when a character has no exact form in the code
    // page (no look-alike letter, no default character), or when a byte sequence is not valid.
    virtual std::optional<std::string> ToAnsiExact(std::wstring_view text) = 0;
    virtual std::optional<std::string> ToOemExact(std::wstring_view text) = 0;
    virtual std::optional<std::wstring> FromAnsiExact(std::string_view bytes) = 0;
    // Upper and lower case as Windows maps them for the user's language.
    virtual std::wstring ToLower(std::wstring_view text) = 0;
    virtual std::wstring ToUpper(std::wstring_view text) = 0;
    // A date and time in the user's general date format (short date, then the long time).
    virtual std::wstring FormatDateTime(const LocalTime& time) = 0;
    // Reads a date text back the way the locale's date conversion does; nullopt when unreadable.
    virtual std::optional<LocalTime> ParseDateTime(const std::wstring& text) = 0;
};

} // namespace vtrl::platform
