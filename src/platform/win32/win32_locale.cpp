#include "platform/win32/win32_locale.h"

#include <windows.h>
#include <oleauto.h>

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

namespace {

std::string ToCodePage(UINT codePage, std::wstring_view text) {
    if (text.empty() || text.size() > INT_MAX) {
        return {};
    }
    const int input = static_cast<int>(text.size());
    const int needed =
        WideCharToMultiByte(codePage, 0, text.data(), input, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return {};
    }
    std::string result(static_cast<std::size_t>(needed), '\0');
    const int written = WideCharToMultiByte(codePage, 0, text.data(), input, result.data(), needed,
                                            nullptr, nullptr);
    result.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return result;
}

} // namespace

std::string Win32Locale::ToAnsi(std::wstring_view text) {
    return ToCodePage(CP_ACP, text);
}

std::string Win32Locale::ToOem(std::wstring_view text) {
    return ToCodePage(CP_OEMCP, text);
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

namespace {

std::wstring MapCase(std::wstring_view text, bool upper) {
    std::wstring result(text);
    if (!result.empty() && result.size() <= MAXDWORD) {
        const auto length = static_cast<DWORD>(result.size());
        upper ? CharUpperBuffW(result.data(), length) : CharLowerBuffW(result.data(), length);
    }
    return result;
}

SYSTEMTIME ToSystemTime(const platform::LocalTime& time) {
    SYSTEMTIME system{};
    system.wYear = static_cast<WORD>(time.year);
    system.wMonth = static_cast<WORD>(time.month);
    system.wDay = static_cast<WORD>(time.day);
    system.wHour = static_cast<WORD>(time.hour);
    system.wMinute = static_cast<WORD>(time.minute);
    system.wSecond = static_cast<WORD>(time.second);
    return system;
}

platform::LocalTime FromSystemTime(const SYSTEMTIME& system) {
    return {system.wYear, system.wMonth, system.wDay, system.wHour, system.wMinute, system.wSecond};
}

} // namespace

std::wstring Win32Locale::ToLower(std::wstring_view text) {
    return MapCase(text, false);
}

std::wstring Win32Locale::ToUpper(std::wstring_view text) {
    return MapCase(text, true);
}

std::wstring Win32Locale::FormatDateTime(const platform::LocalTime& time) {
    const SYSTEMTIME system = ToSystemTime(time);
    wchar_t date[128] = {};
    wchar_t clock[128] = {};
    if (GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &system, nullptr, date, 128,
                        nullptr) == 0 ||
        GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &system, nullptr, clock, 128) == 0) {
        return {};
    }
    return std::wstring(date) + L" " + clock;
}

std::optional<platform::LocalTime> Win32Locale::ParseDateTime(const std::wstring& text) {
    if (text.empty() || text.find(L'\0') != std::wstring::npos) {
        return std::nullopt;
    }
    DATE date = 0;
    std::wstring input = text; // the conversion takes a non-const buffer
    if (FAILED(VarDateFromStr(input.data(), LOCALE_USER_DEFAULT, 0, &date))) {
        return std::nullopt;
    }
    SYSTEMTIME system{};
    if (!VariantTimeToSystemTime(date, &system)) {
        return std::nullopt;
    }
    return FromSystemTime(system);
}

platform::LocalTime Win32Clock::Now() {
    SYSTEMTIME system{};
    GetLocalTime(&system);
    return FromSystemTime(system);
}

} // namespace vtrl::win32
