#include "services/web_links.h"

#include "services/date_time.h"
#include "services/settings_keys.h"
#include "services/settings_store.h"
#include "services/text_encoding.h"

#include <limits>

namespace vtrl::services {

namespace {

platform::LocalTime DateOnly(platform::LocalTime time) {
    time.hour = 0;
    time.minute = 0;
    time.second = 0;
    return time;
}

std::wstring WithoutQuotes(std::wstring text) {
    std::erase(text, L'"');
    return text;
}

bool IsKeptAsIs(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') ||
           c == L'-' || c == L'.' || c == L'_' || c == L'~' || c == L'@';
}

bool IsHighSurrogate(wchar_t c) {
    return static_cast<std::uint32_t>(c) >= 0xD800 && static_cast<std::uint32_t>(c) <= 0xDBFF;
}

bool IsLowSurrogate(wchar_t c) {
    return static_cast<std::uint32_t>(c) >= 0xDC00 && static_cast<std::uint32_t>(c) <= 0xDFFF;
}

// "&a=b&c=d" with each name and value encoded; the separators stay as they are.
std::wstring EncodedSuffix(const std::wstring& suffix) {
    std::wstring encoded;
    std::size_t start = 0;
    while (start < suffix.size()) {
        std::size_t end = suffix.find(L'&', start);
        end = end == std::wstring::npos ? suffix.size() : end;
        const std::wstring pair = suffix.substr(start, end - start);
        const std::size_t equals = pair.find(L'=');
        encoded += PercentEncode(pair.substr(0, equals));
        if (equals != std::wstring::npos) {
            encoded += L'=' + PercentEncode(pair.substr(equals + 1));
        }
        if (end < suffix.size()) {
            encoded += L'&';
        }
        start = end + 1;
    }
    return encoded;
}

} // namespace

std::wstring PercentEncode(const std::wstring& text) {
    static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring encoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsKeptAsIs(text[i])) {
            encoded += text[i];
            continue;
        }
        // A surrogate pair is one character and one UTF-8 sequence.
        const bool pair =
            IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]);
        for (const char byte : Utf8FromText(std::wstring_view(text).substr(i, pair ? 2 : 1))) {
            const auto value = static_cast<unsigned char>(byte);
            encoded += L'%';
            encoded += kHex[value >> 4];
            encoded += kHex[value & 0x0F];
        }
        if (pair) {
            ++i;
        }
    }
    return encoded;
}

std::wstring WebLink(const SystemFacts& facts, const Language& language,
                     const std::wstring& countryName, const std::wstring& topic,
                     const std::wstring& suffix) {
    return std::wstring(kVendorWebEndpoint) + L"?scn=" + PercentEncode(kAppKey) + L"&to=" +
           PercentEncode(topic) + L"&version=" + PercentEncode(facts.VersionText) + L"&country=" +
           PercentEncode(countryName) + L"&pcid=" + PercentEncode(facts.MachineId) + L"&language=" +
           PercentEncode(language.LanguageName) + EncodedSuffix(suffix);
}

std::wstring OpenWebLink(platform::Platform& platform, const SystemFacts& facts,
                         const Language& language, const std::wstring& topic,
                         const std::wstring& suffix, bool returnOnly) {
    const std::wstring link =
        WebLink(facts, language, GetCountryName(platform.locale), topic, suffix);
    if (returnOnly) {
        return link;
    }
    OpenInBrowser(platform, link);
    return {};
}

void OpenInBrowser(platform::Platform& platform, const std::wstring& url) {
    std::wstring command = WithoutQuotes(platform.launcher.WebBrowserCommand());
    if (!command.empty() && !platform.launcher.ShellOpen(url)) {
        command.clear();
    }
    if (!command.empty()) {
        return;
    }
    if (platform.files.FileExists(kInternetExplorerPath)) {
        // The path holds blanks: unquoted, "C:\Program.exe" would be tried first.
        platform.launcher.StartProgram(L"\"" + std::wstring(kInternetExplorerPath) + L"\" \"" +
                                       url + L"\"");
        return;
    }
    platform.messages.Show(std::wstring(kNoBrowserText) + L"\r\n" + url, kProductName,
                           platform::MessageIcon::Warning, platform::MessageButtons::Ok);
}

std::int16_t DaysSinceUpdateCheck(platform::Platform& platform) {
    std::wstring stored =
        GetSetting(platform.registry, kAppKey, kSettingsSection, kRecentUpdateSetting);
    if (stored.empty()) {
        stored = NowText(platform.clock, platform.locale);
        SaveSetting(platform.registry, kAppKey, kSettingsSection, kRecentUpdateSetting, stored);
    }
    const std::optional<platform::LocalTime> then = platform.locale.ParseDateTime(stored);
    if (!then) {
        return 0;
    }
    const long long days =
        SecondsBetween(DateOnly(*then), DateOnly(platform.clock.Now())) / (24LL * 60 * 60);
    // A count that does not fit is as unusable as an unreadable date.
    if (days < std::numeric_limits<std::int16_t>::min() ||
        days > std::numeric_limits<std::int16_t>::max()) {
        return 0;
    }
    return static_cast<std::int16_t>(days);
}

void UpdateCheckReminder(platform::Platform& platform, const SystemFacts& facts,
                         const Language& language, bool ask) {
    const int days = DaysSinceUpdateCheck(platform);
    if (!ask || days <= kUpdateReminderDays) {
        return;
    }
    const std::wstring question =
        GetText(platform, language, L"UPDATES", L"RECENTUPDATECHECKWAS") + L" " +
        std::to_wstring(days) + L" " + GetText(platform, language, L"UPDATES", L"DAYSAGO") +
        L"\r\n\r\n" + GetText(platform, language, L"UPDATES", L"CHECKUPDATESNOW");
    if (platform.messages.Show(question, kProductName, platform::MessageIcon::Information,
                               platform::MessageButtons::YesNo) != platform::MessageAnswer::Yes) {
        return;
    }
    OpenWebLink(platform, facts, language, kTopicUpdates, L"", false);
    SaveSetting(platform.registry, kAppKey, kSettingsSection, kRecentUpdateSetting,
                NowText(platform.clock, platform.locale));
}

bool HttpGet(platform::Platform& platform, const std::wstring& url, const std::wstring& filePath,
             std::int32_t expectedLength) {
    return StoreDownload(platform.files, platform.locale, platform.http.Get(url), filePath,
                         expectedLength);
}

bool StoreDownload(platform::FileSystem& files, platform::Locale& locale,
                   const std::optional<std::string>& reply, const std::wstring& filePath,
                   std::int32_t expectedLength) {
    if (!reply) {
        return false;
    }
    const std::wstring body = locale.FromAnsi(*reply);
    if (expectedLength < 0 || body.size() != static_cast<std::size_t>(expectedLength)) {
        return false;
    }
    // The whole file is replaced: a longer old file must not keep its tail behind the new body.
    return files.ReplaceAll(filePath, EncodeText(locale, body));
}

} // namespace vtrl::services
