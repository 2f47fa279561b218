#pragma once
// The vendor's web pages opened in the user's browser, the reminder to look for updates, and the
// one plain HTTP download the program makes.

#include "platform/platform.h"
#include "services/localisation.h"
#include "services/settings_keys.h"
#include "services/system_facts.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vtrl::services {

// The vendor's server script; every page the program opens is this with a query.
inline constexpr wchar_t kVendorWebEndpoint[] = L"https://www.vantorel.example/check.php";

inline constexpr wchar_t kTopicInstall[] = L"install";
inline constexpr wchar_t kTopicReinstall[] = L"reinstall";
inline constexpr wchar_t kTopicUninstall[] = L"uninstall";
inline constexpr wchar_t kTopicUpdates[] = L"updates";
inline constexpr wchar_t kTopicSite[] = L"site";
inline constexpr wchar_t kTopicHelp[] = L"help";

// The reminder asks when more than this many days have passed since the last check.
inline constexpr int kUpdateReminderDays = 60;

inline constexpr wchar_t kInternetExplorerPath[] =
    L"C:\\Program Files\\Internet Explorer\\iexplore.exe";
inline constexpr wchar_t kNoBrowserText[] = L"ERROR! Can't find browser to open the following URL:";

// Percent-encodes everything but letters, digits, "-", ".", "_", "~" and "@", as UTF-8 bytes.
// UTF-8 rather than the ANSI code page: every character survives, and the server reads the
// same bytes whatever code page the user's system has.
std::wstring PercentEncode(const std::wstring& text);

// The link for a topic with the installation's facts in its query. Every value is
// percent-encoded, so that no fact (a country name with a blank, a language file named "a&b")
// can end its value or add a key; the suffix's "&name=value" pairs are encoded the same way.
std::wstring WebLink(const SystemFacts& facts, const Language& language,
                     const std::wstring& countryName, const std::wstring& topic,
                     const std::wstring& suffix);

// Builds the topic's link; returns it when returnOnly is set, otherwise opens it in the browser
// and returns empty text.
std::wstring OpenWebLink(platform::Platform& platform, const SystemFacts& facts,
                         const Language& language, const std::wstring& topic,
                         const std::wstring& suffix, bool returnOnly);

// Opens a URL (or a file) in the user's browser; tells the user only when no browser exists.
void OpenInBrowser(platform::Platform& platform, const std::wstring& url);

// Calendar days from the stored last update check to today: 0 when the value is unreadable (and
// when it was empty, which starts the count now), negative for a date in the future.
std::int16_t DaysSinceUpdateCheck(platform::Platform& platform);

// Asks whether to look for a new version when the last check is more than 60 days old and
// asking is wanted; Yes opens the updates page and starts the count again.
void UpdateCheckReminder(platform::Platform& platform, const SystemFacts& facts,
                         const Language& language, bool ask);

// Downloads the URL; true when the body has exactly expectedLength characters and now is the
// whole content of filePath. Otherwise (also for a reply over the download limit) the file is
// left alone.
bool HttpGet(platform::Platform& platform, const std::wstring& url, const std::wstring& filePath,
             std::int32_t expectedLength);
// The second half of HttpGet, for a reply downloaded elsewhere (nullopt: none came).
bool StoreDownload(platform::FileSystem& files, platform::Locale& locale,
                   const std::optional<std::string>& reply, const std::wstring& filePath,
                   std::int32_t expectedLength);

} // namespace vtrl::services
