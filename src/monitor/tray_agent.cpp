#include "monitor/tray_agent.h"

#include "monitor/check_cycle.h"
#include "inventory/inventory_scan.h"
#include "services/date_time.h"
#include "services/registry_access.h"
#include "services/settings_store.h"

#include <algorithm>
#include <utility>

namespace vtrl::monitor {
namespace {

// The agent's window covers 120 by 120 twips, parked where nobody sees it.
constexpr int kAgentSizeTwips = 120;

} // namespace

TrayAgent::TrayAgent(platform::Platform& platform, const services::SystemFacts& facts,
                     const services::Language& language,
                     std::optional<services::StartMode> startMode)
    : ui::Form(L"Vantorel", kAgentSizeTwips, kAgentSizeTwips, ui::FormStyle::Hidden),
      platform_(platform), facts_(facts), language_(language), startMode_(startMode) {
    Add(Timer1);
    Add(MagicSubTimer);
    Add(SettleTimer);
    Timer1.onTick = [this] { Timer1_Timer(); };
    MagicSubTimer.onTick = [this] { MagicSubTimer_Timer(); };
    SettleTimer.onTick = [this] { SettleTimer_Timer(); };
}

void TrayAgent::Form_Load() {
    SetCaption(services::kTrayAgentCaption);
    auto& registry = platform_.registry;
    if (startMode_ == services::StartMode::Once) {
        std::wstring last = services::GetSetting(
            registry, services::kAppKey, services::kDataSection, services::kLastOnceCheckKey);
        auto elapsed = services::SecondsSince(platform_.clock, platform_.locale, last);
        if (!elapsed) {
            // Never checked (or the stored time cannot be read): today counts as the last check.
            services::SaveSetting(registry, services::kAppKey, services::kDataSection,
                                  services::kLastOnceCheckKey,
                                  services::NowText(platform_.clock, platform_.locale));
            elapsed = 0;
        }
        if (*elapsed > kOnceIntervalSeconds) {
            services::SaveSetting(registry, services::kAppKey, services::kDataSection,
                                  services::kLastOnceCheckKey,
                                  services::NowText(platform_.clock, platform_.locale));
            RunPass();
        }
        Unload();
        return;
    }
    if (startMode_ == services::StartMode::Every) {
        RunPass();
        Unload();
        return;
    }
    if (startMode_ == services::StartMode::Resident) {
        MagicSubTimer.SetEnabled(true);
        const inventory::ScanSources sources = inventory::DefaultScanSources(facts_);
        for (const inventory::PlaceSite& site : sources.places) {
            // A folder whose shortcuts and other files are two places is watched once.
            const bool known =
                std::any_of(locations_.begin(), locations_.end(), [&](const auto& l) {
                    return l.path == site.location && l.scope == site.type->Watch();
                });
            if (!known) {
                locations_.push_back({site.location, site.type->Watch(), false});
            }
        }
        WatchStartupLocations();
        if (services::GetSetting(registry, services::kAppKey, services::kSettingsSection,
                                 services::kHideTrayIconKey)
                .empty()) {
            // Without an icon the agent still runs its passes.
            AddTrayIcon(services::ProductTitle());
        }
    }
    Timer1_Timer();
}

void TrayAgent::Form_QueryUnload() {
    platform_.changes.StopWatching();
    RemoveTrayIcon();
}

void TrayAgent::Form_TrayMessage(unsigned mouseMessage) {
    if (mouseMessage != kLeftButtonUp) {
        return;
    }
    RemoveTrayIcon();
    platform_.launcher.StartProgram(services::OwnCommandLine(facts_, L"", L""));
    Unload();
}

void TrayAgent::Timer1_Timer() {
    // Just outside the bottom-right corner, whatever moved the window.
    const ui::ScreenMetrics screen = Screen();
    SetPosition(screen.widthTwips, screen.heightTwips);
}

void TrayAgent::MagicSubTimer_Timer() {
    passCause_ = "timer";
    FollowStartupFolders();
    RunPass();
    WatchStartupLocations();
}

void TrayAgent::SettleTimer_Timer() {
    SettleTimer.SetEnabled(false);
    passCause_ = "change";
    FollowStartupFolders();
    RunPass();
    WatchStartupLocations();
}

void TrayAgent::StartupLocationChanged() {
    if (passRunning_) {
        // However many changes come in during a pass, one more pass follows it.
        passPending_ = true;
    } else if (!SettleTimer.Enabled()) {
        SettleTimer.SetEnabled(true);
    }
}

void TrayAgent::WatchStartupLocations() {
    for (std::size_t i = 0; i < locations_.size(); ++i) {
        WatchedLocation& location = locations_[i];
        if (location.armed) {
            continue;
        }
        auto onChange = [this] { StartupLocationChanged(); };
        auto onLost = [this, i] { locations_[i].armed = false; };
        if (location.scope == inventory::WatchScope::Folder) {
            location.armed = platform_.changes.WatchFolder(location.path, onChange, onLost);
            continue;
        }
        const auto key = services::ParseRegistryLocation(location.path);
        if (!key) {
            continue;
        }
        location.armed =
            location.scope == inventory::WatchScope::KeyTree
                ? platform_.changes.WatchKeyTree(key->hive, key->keyPath, onChange, onLost)
                : platform_.changes.WatchKey(key->hive, key->keyPath, onChange, onLost);
        auto onParentLost = [this, i] { locations_[i].parentArmed = false; };
        std::wstring parent = key->keyPath;
        while (!location.armed && !location.parentArmed) {
            const std::size_t cut = parent.rfind(L'\\');
            if (cut == std::wstring::npos) {
                break;
            }
            parent.resize(cut);
            location.parentArmed =
                platform_.changes.WatchKey(key->hive, parent, onChange, onParentLost);
        }
    }
}

void TrayAgent::FollowStartupFolders() {
    bool moved = false;
    for (const auto& [known, folder] :
         {std::pair{platform::KnownFolder::Startup, &facts_.StartupFolder},
          std::pair{platform::KnownFolder::CommonStartup, &facts_.CommonStartupFolder}}) {
        // None named: the folder stays where it was found at start.
        const auto now = platform_.folders.KnownFolderPath(known);
        if (now && *now != *folder) {
            *folder = *now;
            moved = true;
        }
    }
    if (!moved) {
        return;
    }
    const auto inUse = [this](const std::wstring& path) {
        return path == facts_.StartupFolder || path == facts_.CommonStartupFolder;
    };
    std::erase_if(locations_, [&](const WatchedLocation& location) {
        return location.scope == inventory::WatchScope::Folder && !inUse(location.path);
    });
    for (const std::wstring& folder : {facts_.StartupFolder, facts_.CommonStartupFolder}) {
        const bool known = std::any_of(locations_.begin(), locations_.end(), [&](const auto& l) {
            return l.scope == inventory::WatchScope::Folder && l.path == folder;
        });
        if (!known) {
            locations_.push_back({folder, inventory::WatchScope::Folder, false});
        }
    }
    // Watches end only all together, and their callbacks name locations by position: every
    // location is armed again.
    platform_.changes.StopWatching();
    for (WatchedLocation& location : locations_) {
        location.armed = false;
        location.parentArmed = false;
    }
    WatchStartupLocations();
}

int TrayAgent::WatchedLocations() const {
    int armed = 0;
    for (const auto& location : locations_) {
        armed += location.armed ? 1 : 0;
    }
    return armed;
}

void TrayAgent::RunPass() {
    if (passRunning_) {
        passPending_ = true;
        return;
    }
    passRunning_ = true;
    ++passes_;
    const auto outcome = RunCheckCycle(platform_, facts_, inventory_, decisions_);
    passRunning_ = false;
    TracePass();
    if (outcome == inventory::ScanOutcome::NoRecords) {
        WarnNoRecords(platform_, language_);
        Unload();
        return;
    }
    if (passPending_) {
        passPending_ = false;
        SettleTimer.SetEnabled(true);
    }
}

void TrayAgent::TracePass() {
    const std::wstring path = services::GetSetting(
        platform_.registry, services::kAppKey, services::kDataSection, services::kAgentTraceKey);
    if (path.empty()) {
        return;
    }
    const std::string line = "pass " + std::to_string(passes_) + " " + passCause_ + " records " +
                             std::to_string(inventory_.LastRecordIndex + 1) + "\r\n";
    // Appended by rewriting: a debugging aid, read only by tests; failures are ignored.
    const std::string before = platform_.files.ReadAll(path).value_or("");
    platform_.files.Overwrite(path, before + line);
}

} // namespace vtrl::monitor
