#pragma once
// One pass of the monitor: a fresh inventory and decision table, then per record a spaced
// reminder about an undecided executable, or the stored actions for a restricted one (switch its
// startup record off in Windows or delete it with a backup, with a notice; end the running
// program). A record switched off in Windows is harmless: neither reminded about nor removed.

#include "decisions/decision_database.h"
#include "inventory/inventory_scan.h"
#include "inventory/startup_record.h"
#include "platform/platform.h"
#include "services/command_words.h"
#include "services/localisation.h"
#include "services/settings_keys.h"
#include "services/system_facts.h"

#include <string>

namespace vtrl::monitor {

// An executable is reminded about again this long after its "Remind" time.
inline constexpr long long kRemindIntervalSeconds = 21600;
// Reminders about any executables are more than this far apart.
inline constexpr long long kReminderGapSeconds = 300;

inline constexpr wchar_t kSoundFileName[] = L"sound.wav";

// Runs one pass over the default startup locations, or over the given ones. The inventory and
// the decision table are rebuilt by the pass and left for the caller to read. Without any
// startup record the pass does nothing else; the caller warns and ends (WarnNoRecords).
inventory::ScanOutcome RunCheckCycle(platform::Platform& platform,
                                     const services::SystemFacts& facts,
                                     inventory::StartupInventory& inventory,
                                     decisions::Decisions& decisions);
inventory::ScanOutcome RunCheckCycle(platform::Platform& platform,
                                     const services::SystemFacts& facts,
                                     inventory::StartupInventory& inventory,
                                     decisions::Decisions& decisions,
                                     const inventory::ScanSources& sources);

// The warning that no startup record exists, with the program's title; returns once it is closed.
void WarnNoRecords(platform::Platform& platform, const services::Language& language);

// Tells the user that a restricted executable's startup record was removed: a removal popup in a
// new process, or with "Settings"/"NotifiWin" set only the notification sound.
void NotifyRemoval(platform::Platform& platform, const services::SystemFacts& facts,
                   const std::wstring& folder, const std::wstring& exeName);

// The same for a record switched off with Windows' own switch: a "switchedoff" popup, or the
// sound.
void NotifySwitchOff(platform::Platform& platform, const services::SystemFacts& facts,
                     const std::wstring& folder, const std::wstring& exeName);

// Plays "sound.wav" from the program's own folder without waiting; silent when the file is
// missing or "Settings"/"Sound" is set.
void PlayNotificationSound(platform::Platform& platform, const services::SystemFacts& facts);

} // namespace vtrl::monitor
