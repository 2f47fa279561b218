#include "monitor/tray_agent.h"

#include "monitor/check_cycle.h"
#include "inventory/inventory_scan.h"
#include "services/date_time.h"
#include "services/settings_store.h"

namespace vtrl::monitor {
namespace {

// The agent's window covers 120 by 120 twips, parked where nobody sees it.
constexpr int kAgentSizeTwips = 120;

} // namespace

TrayAgent::TrayAgent(platform::Platform& platform, const services::SystemFacts& facts,
                     const services::Language& language, std::wstring startMode)
    : ui::Form(L"Vantorel", kAgentSizeTwips, kAgentSizeTwips, ui::FormStyle::Hidden),
      platform_(platform), facts_(facts), language_(language), startMode_(std::move(startMode)) {
    Add(Timer1);
    Add(MagicSubTimer);
    Timer1.onTick = [this] { Timer1_Timer(); };
    MagicSubTimer.onTick = [this] { MagicSubTimer_Timer(); };
}

void TrayAgent::Form_Load() {
    SetCaption(kTrayAgentCaption);
    auto& registry = platform_.registry;
    if (startMode_ == kStartModeOnce) {
        std::wstring last =
            services::GetSetting(registry, services::kAppKey, kDataSection, kLastOnceCheckKey);
        auto elapsed = services::SecondsSince(platform_, last);
        if (!elapsed) {
            // Never checked (or the stored time cannot be read): today counts as the last check.
            services::SaveSetting(registry, services::kAppKey, kDataSection, kLastOnceCheckKey,
                                  services::NowText(platform_));
            elapsed = 0;
        }
        if (*elapsed > kOnceIntervalSeconds) {
            services::SaveSetting(registry, services::kAppKey, kDataSection, kLastOnceCheckKey,
                                  services::NowText(platform_));
            RunPass();
        }
        Unload();
        return;
    }
    if (startMode_ == kStartModeEvery) {
        RunPass();
        Unload();
        return;
    }
    if (startMode_.empty()) {
        MagicSubTimer.SetEnabled(true);
        if (services::GetSetting(registry, services::kAppKey, kSettingsSection, kHideTrayIconKey)
                .empty()) {
            // Without an icon the agent still runs its passes.
            AddTrayIcon(services::ProductTitle());
        }
    }
    Timer1_Timer();
}

void TrayAgent::Form_QueryUnload() {
    RemoveTrayIcon();
}

void TrayAgent::Form_TrayMessage(unsigned mouseMessage) {
    if (mouseMessage != kLeftButtonUp) {
        return;
    }
    RemoveTrayIcon();
    platform_.launcher.StartProgram(OwnCommandLine(facts_, L"", L""));
    Unload();
}

void TrayAgent::Timer1_Timer() {
    // Just outside the bottom-right corner, whatever moved the window.
    const ui::ScreenMetrics screen = Screen();
    SetPosition(screen.widthTwips, screen.heightTwips);
}

void TrayAgent::MagicSubTimer_Timer() {
    RunPass();
}

void TrayAgent::RunPass() {
    ++passes_;
    if (RunCheckCycle(platform_, facts_, inventory_, decisions_) ==
        inventory::ScanOutcome::NoRecords) {
        WarnNoRecords(platform_, language_);
        Unload();
    }
}

} // namespace vtrl::monitor
