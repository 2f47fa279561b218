#pragma once
// The user's locale: country name and the ANSI code page of stored text files.

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
};

} // namespace vtrl::platform
