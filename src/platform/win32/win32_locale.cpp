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

// The text in the code page. Without best-fit mapping a character the page lacks becomes the
// default character, never a look-alike ("Ł" stays out rather than turning into "L"), and
// the used-default flag tells whether that happened. nullopt when the conversion fails.
std::optional<std::string> ToCodePage(UINT codePage, std::wstring_view text, bool& lost) {
    lost = false;
    if (text.empty()) {
        return std::string();
    }
    if (text.size() > INT_MAX) {
        return std::nullopt;
    }
    // A UTF-8 system code page holds every character and takes neither flag nor default.
    const bool utf8 = (codePage == CP_ACP     ? GetACP()
                       : codePage == CP_OEMCP ? GetOEMCP()
                                              : codePage) == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* const usedDefaultFlag = utf8 ? nullptr : &usedDefault;
    const int input = static_cast<int>(text.size());
    const int needed =
        WideCharToMultiByte(codePage, flags, text.data(), input, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return std::nullopt;
    }
    std::string result(static_cast<std::size_t>(needed), '\0');
    const int written = WideCharToMultiByte(codePage, flags, text.data(), input, result.data(),
                                            needed, nullptr, usedDefaultFlag);
    if (written <= 0) {
        return std::nullopt;
    }
    result.resize(static_cast<std::size_t>(written));
    lost = usedDefault != FALSE;
    return result;
}

std::optional<std::string> ExactCodePage(UINT codePage, std::wstring_view text) {
    bool lost = false;
    auto result = ToCodePage(codePage, text, lost);
    if (lost) {
        return std::nullopt;
    }
    return result;
}

std::optional<std::wstring> FromCodePage(UINT codePage, std::string_view bytes, DWORD flags) {
    if (bytes.empty()) {
        return std::wstring();
    }
    if (bytes.size() > INT_MAX) {
        return std::nullopt;
    }
    const int input = static_cast<int>(bytes.size());
    const int needed = MultiByteToWideChar(codePage, flags, bytes.data(), input, nullptr, 0);
    if (needed <= 0) {
        return std::nullopt;
    }
    std::wstring result(static_cast<std::size_t>(needed), L'\0');
    const int written =
        MultiByteToWideChar(codePage, flags, bytes.data(), input, result.data(), needed);
    if (written <= 0) {
        return std::nullopt;
    }
    result.resize(static_cast<std::size_t>(written));
    return result;
}

} // namespace

std::string Win32Locale::ToAnsi(std::wstring_view text) {
    bool lost = false;
    return ToCodePage(CP_ACP, text, lost).value_or(std::string());
}

std::string Win32Locale::ToOem(std::wstring_view text) {
    bool lost = false;
    return ToCodePage(CP_OEMCP, text, lost).value_or(std::string());
}

std::optional<std::string> Win32Locale::ToAnsiExact(std::wstring_view text) {
    return ExactCodePage(CP_ACP, text);
}

std::optional<std::string> Win32Locale::ToOemExact(std::wstring_view text) {
    return ExactCodePage(CP_OEMCP, text);
}

std::wstring Win32Locale::FromAnsi(std::string_view bytes) {
    return FromCodePage(CP_ACP, bytes, 0).value_or(std::wstring());
}

std::optional<std::wstring> Win32Locale::FromAnsiExact(std::string_view bytes) {
    return FromCodePage(CP_ACP, bytes, MB_ERR_INVALID_CHARS);
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

platform::LocalTime Win32Clock::UtcNow() {
    SYSTEMTIME system{};
    GetSystemTime(&system);
    return FromSystemTime(system);
}

std::optional<platform::LocalTime> Win32Clock::LocalOfUtc(const platform::LocalTime& utc) {
    const SYSTEMTIME system = ToSystemTime(utc);
    SYSTEMTIME local{};
    // The zone's rule for that date, daylight saving included.
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &system, &local)) {
        return std::nullopt;
    }
    return FromSystemTime(local);
}

} // namespace vtrl::win32
