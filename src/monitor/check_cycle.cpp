#include "monitor/check_cycle.h"

#include "decisions/record_decision.h"
#include "decisions/record_removal.h"
#include "decisions/record_switch.h"
#include "inventory/removable_record.h"
#include "inventory/windows_switch.h"
#include "monitor/hand_off.h"
#include "monitor/program_shutdown.h"
#include "monitor/restriction_way.h"
#include "services/date_time.h"
#include "services/error_log.h"
#include "services/localisation.h"
#include "services/settings_store.h"

#include <optional>
#include <vector>

namespace vtrl::monitor {

namespace {

std::wstring Setting(platform::Platform& platform, const wchar_t* section,
                     const std::wstring& key) {
    return services::GetSetting(platform.registry, services::kAppKey, section, key);
}

void Save(platform::Platform& platform, const wchar_t* section, const std::wstring& key,
          const std::wstring& value) {
    services::SaveSetting(platform.registry, services::kAppKey, section, key, value);
}

// Writes the hand-off file and starts this program with the word and the file's name. A file
// whose process did not start is removed again, as nobody would ever read it.
bool StartPopup(platform::Platform& platform, const services::SystemFacts& facts,
                const wchar_t* word, const std::wstring& folder, const std::wstring& exeName) {
    const auto name = WriteHandOffFile(platform, facts.DataFolder, {folder, exeName});
    if (!name) {
        return false;
    }
    if (platform.launcher.StartProgram(services::OwnCommandLine(facts, word, *name))) {
        return true;
    }
    platform.files.Remove(facts.DataFolder + L"\\" + *name);
    return false;
}

// A notice popup with the word, or with "Settings"/"NotifiWin" set only the sound.
void Notify(platform::Platform& platform, const services::SystemFacts& facts, const wchar_t* word,
            const std::wstring& folder, const std::wstring& exeName) {
    if (!Setting(platform, services::kSettingsSection, services::kNotifiWinKey).empty()) {
        PlayNotificationSound(platform, facts);
        return;
    }
    // The popup plays the sound itself once it is up.
    StartPopup(platform, facts, word, folder, exeName);
}

class Pass {
public:
    // The scan's own snapshot serves every record of the pass: one process list per pass.
    Pass(platform::Platform& platform, const services::SystemFacts& facts,
         const std::vector<platform::RunningProcess>& processes)
        : platform_(platform), facts_(facts), processes_(processes) {}

    // A notice about the record's executable, spaced as every reminder is: "unknown" for an
    // undecided one, "adminonly" for a restricted one the user cannot remove.
    void Remind(const inventory::StartupRecord& record,
                const wchar_t* word = services::kReminderWord) {
        if (!Setting(platform_, services::kSettingsSection, services::kUnknownKey).empty()) {
            return;
        }
        const platform::LocalTime now = platform_.clock.Now();
        // An executable seen for the first time is due at once; an unreadable time counts as
        // none.
        long long due = kRemindIntervalSeconds;
        if (const auto since = services::SecondsSince(
                platform_.clock, platform_.locale,
                Setting(platform_, services::kRemindSection, record.ExeName))) {
            due = *since;
        } else {
            Save(platform_, services::kRemindSection, record.ExeName,
                 platform_.locale.FormatDateTime(
                     services::ShiftedTime(now, -kRemindIntervalSeconds)));
        }
        long long gap = 0;
        if (const auto since = services::SecondsSince(
                platform_.clock, platform_.locale,
                Setting(platform_, services::kDataSection, services::kLastReminderKey))) {
            gap = *since;
        } else {
            Save(platform_, services::kDataSection, services::kLastReminderKey,
                 platform_.locale.FormatDateTime(now));
        }
        if (reminded_ || due < kRemindIntervalSeconds || gap <= kReminderGapSeconds) {
            return;
        }
        const auto name =
            WriteHandOffFile(platform_, facts_.DataFolder, {record.ExeFolder, record.ExeName});
        if (!name) {
            return;
        }
        // Stored before the start so that no other pass, here or in another process, reminds
        // within the gap; the flag keeps the rule even when the setting cannot be written.
        Save(platform_, services::kDataSection, services::kLastReminderKey,
             platform_.locale.FormatDateTime(now));
        reminded_ = true;
        if (!platform_.launcher.StartProgram(services::OwnCommandLine(facts_, word, *name))) {
            platform_.files.Remove(facts_.DataFolder + L"\\" + *name);
        }
    }

    void Restrict(const inventory::StartupRecord& record,
                  const decisions::DecisionEntry& decision) {
        // Switched off in Windows, the record starts nothing: harmless, left as it is.
        if (decision.DeleteRecord && record.EnabledInWindows) {
            // A machine-wide record a standard user cannot change is not tried: the user is told
            // about it instead, and an administrator's pass stops it.
            if (record.NeedsAdministrator) {
                Remind(record, services::kAdminOnlyWord);
            } else {
                Stop(record);
            }
        }
        if (decision.KillIfRunning) {
            ShutDownProgram(platform_, processes_, record.ExeFolder + L"\\" + record.ExeName);
        }
    }

private:
    // Windows' own switch when the user chose it and Windows has one for the record; a deletion
    // with its backup otherwise. Either is logged first; a record still on afterwards gets no
    // notice now and is tried again by the next pass.
    void Stop(const inventory::StartupRecord& record) {
        if (inventory::CanSwitchInWindows(record) && Way() == RestrictionWay::SwitchOff) {
            if (decisions::SwitchOffStartupRecord(platform_, facts_.DataFolder, record)) {
                NotifySwitchOff(platform_, facts_, record.ExeFolder, record.ExeName);
            }
            return;
        }
        // A record that cannot be addressed by its own name is never tried: no backup entry for
        // something left in place, no other record removed in its stead.
        if (inventory::CanBeRemoved(record) &&
            decisions::RemoveStartupRecord(platform_, facts_.DataFolder, record)) {
            NotifyRemoval(platform_, facts_, record.ExeFolder, record.ExeName);
        }
    }

    // Read once a pass needs it, so that a pass with nothing restricted stores no setting.
    RestrictionWay Way() {
        if (!way_) {
            way_ = LoadRestrictionWay(platform_, facts_.DataFolder);
        }
        return *way_;
    }

    platform::Platform& platform_;
    const services::SystemFacts& facts_;
    const std::vector<platform::RunningProcess>& processes_;
    bool reminded_ = false;
    std::optional<RestrictionWay> way_;
};

} // namespace

inventory::ScanOutcome RunCheckCycle(platform::Platform& platform,
                                     const services::SystemFacts& facts,
                                     inventory::StartupInventory& inventory,
                                     decisions::Decisions& decisions) {
    return RunCheckCycle(platform, facts, inventory, decisions,
                         inventory::DefaultScanSources(facts));
}

inventory::ScanOutcome RunCheckCycle(platform::Platform& platform,
                                     const services::SystemFacts& facts,
                                     inventory::StartupInventory& inventory,
                                     decisions::Decisions& decisions,
                                     const inventory::ScanSources& sources) {
    if (inventory::ScanStartupRecords(platform, facts, inventory, inventory::ScanOptions{},
                                      sources) == inventory::ScanOutcome::NoRecords) {
        return inventory::ScanOutcome::NoRecords;
    }
    decisions::LoadDecisions(platform.files, platform.locale, facts.DataFolder, decisions);
    decisions::PublisherRules publishers;
    decisions::LoadPublisherRules(platform.files, platform.locale, facts.DataFolder, publishers);
    Pass pass(platform, facts, inventory.Processes);
    for (int index = 0; index <= inventory.LastRecordIndex; ++index) {
        inventory::StartupRecord& record = inventory.Records[static_cast<std::size_t>(index)];
        if (!record.InUse) {
            continue;
        }
        const decisions::DecisionEntry decision =
            decisions::LookupRecordDecision(platform.locale, decisions, publishers, record);
        if (decision.Status == decisions::kStatusNoDecision) {
            // Switched off in Windows it starts nothing: no reminder about it.
            if (record.EnabledInWindows) {
                pass.Remind(record);
            }
        } else if (decision.Status == decisions::kStatusRestricted) {
            pass.Restrict(record, decision);
        }
    }
    return inventory::ScanOutcome::Records;
}

void WarnNoRecords(platform::Platform& platform, const services::Language& language) {
    platform.messages.Show(services::GetText(platform, language, L"INTERFACE", L"NORECORDS"),
                           services::ProductTitle(), platform::MessageIcon::Warning,
                           platform::MessageButtons::Ok);
}

void NotifyRemoval(platform::Platform& platform, const services::SystemFacts& facts,
                   const std::wstring& folder, const std::wstring& exeName) {
    Notify(platform, facts, services::kRemovalWord, folder, exeName);
}

void NotifySwitchOff(platform::Platform& platform, const services::SystemFacts& facts,
                     const std::wstring& folder, const std::wstring& exeName) {
    Notify(platform, facts, services::kSwitchedOffWord, folder, exeName);
}

void PlayNotificationSound(platform::Platform& platform, const services::SystemFacts& facts) {
    services::TraceStep(platform.files, platform.locale, facts, services::kStepPlayingSound);
    const std::wstring path = facts.ProgramFolder + L"\\" + kSoundFileName;
    if (platform.files.FileExists(path) &&
        Setting(platform, services::kSettingsSection, services::kSoundKey).empty()) {
        platform.sound.PlayFileAsync(path);
    }
    services::TraceStep(platform.files, platform.locale, facts, L"");
}

} // namespace vtrl::monitor
