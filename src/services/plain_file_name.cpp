#include "services/plain_file_name.h"

#include <array>
#include <string_view>

namespace vtrl::services {

namespace {

wchar_t AsciiUpper(wchar_t character) {
    return character >= L'a' && character <= L'z' ? static_cast<wchar_t>(character - L'a' + L'A')
                                                  : character;
}

// Windows opens these devices for a name in any folder, also with an extension ("nul.txt").
bool IsDeviceName(const std::wstring& name) {
    std::wstring base = name.substr(0, name.find(L'.'));
    while (!base.empty() && base.back() == L' ') {
        base.pop_back();
    }
    for (wchar_t& character : base) {
        character = AsciiUpper(character);
    }
    static constexpr std::array<std::wstring_view, 6> kDevices = {L"CON", L"PRN",    L"AUX",
                                                                  L"NUL", L"CONIN$", L"CONOUT$"};
    for (const std::wstring_view device : kDevices) {
        if (base == device) {
            return true;
        }
    }
    if (base.size() == 4 && (base.starts_with(L"COM") || base.starts_with(L"LPT"))) {
        // COM1 to COM9, and the superscript digits Windows also treats as device numbers.
        const wchar_t digit = base[3];
        return (digit >= L'1' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' ||
               digit == L'\u00B3';
    }
    return false;
}

} // namespace

bool IsPlainFileName(const std::wstring& name) {
    if (name.empty() || name.find(L"..") != std::wstring::npos) {
        return false;
    }
    for (const wchar_t character : name) {
        if (character < 32 ||
            std::wstring_view(L"\\/:*?\"<>|").find(character) != std::wstring_view::npos) {
            return false;
        }
    }
    // Windows drops trailing points and blanks, so "." or " " would name the folder itself.
    if (name.find_first_not_of(L". ") == std::wstring::npos) {
        return false;
    }
    return !IsDeviceName(name);
}

} // namespace vtrl::services
