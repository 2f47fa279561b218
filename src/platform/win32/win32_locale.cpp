#include "platform/win32/win32_locale.h"

#include <windows.h>

#include <climits>

namespace vtrl::win32 {

std::wstring Win32Locale::EnglishCountryName() {
    wchar_t buffer[100] = {};
    const int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SENGCOUNTRY, buffer, 99);
    if (length <= 0) {
        return {};
    }
    // The reported length counts the terminating NUL, which stays in the text as the system gave
    // it.
    return std::wstring(buffer, static_cast<std::size_t>(length));
}

std::string Win32Locale::ToAnsi(std::wstring_view text) {
    if (text.empty() || text.size() > INT_MAX) {
        return {};
    }
    const int input = static_cast<int>(text.size());
    const int needed =
        WideCharToMultiByte(CP_ACP, 0, text.data(), input, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return {};
    }
    std::string result(static_cast<std::size_t>(needed), '\0');
    const int written =
        WideCharToMultiByte(CP_ACP, 0, text.data(), input, result.data(), needed, nullptr, nullptr);
    result.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return result;
}

std::wstring Win32Locale::FromAnsi(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > INT_MAX) {
        return {};
    }
    const int input = static_cast<int>(bytes.size());
    const int needed = MultiByteToWideChar(CP_ACP, 0, bytes.data(), input, nullptr, 0);
    if (needed <= 0) {
        return {};
    }
    std::wstring result(static_cast<std::size_t>(needed), L'\0');
    const int written = MultiByteToWideChar(CP_ACP, 0, bytes.data(), input, result.data(), needed);
    result.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return result;
}

} // namespace vtrl::win32
