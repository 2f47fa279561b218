#pragma once
// Every section and key of the settings store (settings_store.h), with what their values mean.
// The store keeps text; a switch that is "on unless set" is off once any text ("NO") is stored.

#include <optional>
#include <string>

namespace vtrl::services {

// "Settings": the user's choices.
inline constexpr wchar_t kSettingsSection[] = L"Settings";
inline constexpr wchar_t kUnknownKey[] = L"Unknown";           // not empty: no reminders
inline constexpr wchar_t kNotifiWinKey[] = L"NotifiWin";       // not empty: removal sound only
inline constexpr wchar_t kSoundKey[] = L"Sound";               // not empty: silent
inline constexpr wchar_t kAutoCloseKey[] = L"AutoClose";       // "YES": notices close by themselves
inline constexpr wchar_t kHideTrayIconKey[] = L"HideTrayIcon"; // not empty: no tray icon
// "YES" keeps Windows' own entries out of the list.
inline constexpr wchar_t kHideWindowsKey[] = L"HideWindows";
// How a restricted program's startup record is stopped: "SWITCH" or "DELETE"; any other stored
// text reads as "DELETE".
inline constexpr wchar_t kRestrictByKey[] = L"RestrictBy";
inline constexpr wchar_t kRestrictBySwitch[] = L"SWITCH";
inline constexpr wchar_t kRestrictByDelete[] = L"DELETE";
// How the agent started at logon runs: one pass a day ("Once"), one pass at each start
// ("Every"), or, with nothing stored, resident with a tray icon.
inline constexpr wchar_t kStartModeKey[] = L"SMode";
inline constexpr wchar_t kStartModeOnce[] = L"Once";
inline constexpr wchar_t kStartModeEvery[] = L"Every";
enum class StartMode {
    Resident, // stays with its tray icon and watches (nothing stored)
    Every,    // one pass at every start, then ends
    Once,     // one pass a day at start, then ends
};
// nullopt for a stored text that names no mode (the words are matched exactly).
inline std::optional<StartMode> StartModeFromStored(const std::wstring& stored) {
    if (stored.empty()) {
        return StartMode::Resident;
    }
    if (stored == kStartModeEvery) {
        return StartMode::Every;
    }
    if (stored == kStartModeOnce) {
        return StartMode::Once;
    }
    return std::nullopt;
}
inline std::wstring StoredStartMode(StartMode mode) {
    switch (mode) {
    case StartMode::Every:
        return kStartModeEvery;
    case StartMode::Once:
        return kStartModeOnce;
    case StartMode::Resident:
        break;
    }
    return L"";
}
// The language file's caption the user chose.
inline constexpr wchar_t kLanguageSetting[] = L"Language";
inline constexpr wchar_t kSubscriptionEmailSetting[] = L"Subscription Email";
inline constexpr wchar_t kCipSetting[] = L"CIP";
inline constexpr wchar_t kRecentUpdateSetting[] = L"Recent Update";

// "Remind": the time of the last reminder, keyed by executable name.
inline constexpr wchar_t kRemindSection[] = L"Remind";

// "Data": the program's own bookkeeping.
inline constexpr wchar_t kDataSection[] = L"Data";
inline constexpr wchar_t kFirstRunKey[] = L"FirstRun";
inline constexpr wchar_t kLastReminderKey[] = L"LastReminder";
inline constexpr wchar_t kLastOnceCheckKey[] = L"LAR"; // the last pass of the "Once" mode
// The path of a file to which the agent appends one line per check pass ("pass N CAUSE records
// M": N counts this agent's passes, CAUSE is "start", "timer" or "change" for a pass at start,
// on the 30-second timer or after a change to a startup location). Unset, nothing is written;
// tests and the benchmark read it to count passes exactly.
inline constexpr wchar_t kAgentTraceKey[] = L"AgentTrace";

} // namespace vtrl::services
