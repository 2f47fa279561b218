#include "services/web_links.h"

#include "services/date_time.h"
#include "services/settings_store.h"

#include <limits>

namespace vtrl::services {

namespace {

constexpr wchar_t kSettingsSection[] = L"Settings";

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

} // namespace

std::wstring WebLink(const SystemFacts& facts, const Language& language,
                     const std::wstring& countryName, const std::wstring& topic,
                     const std::wstring& suffix) {
    return std::wstring(kVendorWebEndpoint) + L"?scn=" + kAppKey + L"&to=" + topic + L"&version=" +
           facts.VersionText + L"&country=" + countryName + L"&pcid=" + facts.MachineId +
           L"&language=" + language.LanguageName + suffix;
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
        platform.launcher.StartProgram(std::wstring(kInternetExplorerPath) + L" \"" + url + L"\"");
        return;
    }
    platform.messages.Show(std::wstring(kNoBrowserText) + L"\r\n" + url, kProductName,
                           platform::MessageIcon::Warning, platform::MessageButtons::Ok);
}

std::int16_t DaysSinceUpdateCheck(platform::Platform& platform) {
    std::wstring stored =
        GetSetting(platform.registry, kAppKey, kSettingsSection, kRecentUpdateSetting);
    if (stored.empty()) {
        stored = NowText(platform);
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
                NowText(platform));
}

bool HttpGet(platform::Platform& platform, const std::wstring& url, const std::wstring& filePath,
             std::int32_t expectedLength) {
    const std::wstring body = platform.locale.FromAnsi(platform.http.Get(url));
    if (expectedLength < 0 || body.size() != static_cast<std::size_t>(expectedLength)) {
        return false;
    }
    // The whole file is replaced: a longer old file must not keep its tail behind the new body.
    return platform.files.ReplaceAll(filePath, platform.locale.ToAnsi(body));
}

} // namespace vtrl::services
