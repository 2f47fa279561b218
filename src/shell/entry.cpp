#include "shell/entry.h"

#include "manager/main_window.h"
#include "monitor/check_cycle.h"
#include "monitor/hand_off.h"
#include "monitor/popup_reminder.h"
#include "monitor/tray_agent.h"
#include "platform/ui/window_system.h"
#include "services/date_time.h"
#include "services/framework_dialog.h"
#include "services/settings_store.h"
#include "services/web_links.h"
#include "shell/installation.h"
#include "shell/setup_uninstall.h"

namespace vtrl::shell {

namespace {

// A popup for the executable named in a hand-off file. A name of another shape than the writer's
// (digits only), a missing file or a short one shows nothing and deletes nothing.
void ShowHandOffPopup(EntryContext& context, const std::wstring& commandLine,
                      const std::wstring& word, monitor::PopupNotice notice) {
    const std::wstring name = monitor::HandOffNameIn(commandLine, word);
    auto handOff = monitor::TakeHandOffFile(context.platform.files, context.platform.locale,
                                            context.facts.DataFolder, name);
    if (!handOff) {
        return;
    }
    auto& popup = static_cast<monitor::PopupReminder&>(
        context.windows.Load(std::make_unique<monitor::PopupReminder>(
            context.platform, context.facts, context.language)));
    popup.Activate(handOff->folder, handOff->exeName, notice);
    if (notice == monitor::PopupNotice::NewRecord) {
        // The check pass spaces its reminders about the same executable from this time.
        services::SaveSetting(context.platform.registry, services::kAppKey,
                              services::kRemindSection, handOff->exeName,
                              services::NowText(context.platform.clock, context.platform.locale));
    }
}

} // namespace

std::vector<DispatchStep> ModeTable(EntryContext& context) {
    // Each mode joins this table, in its place, with the window or one-shot step it runs:
    // "lang", "subscribe", "updates", "install", "uninstall", the setup program's install and
    // uninstall, "vexo", then the hand-off words "notifi" and "unknown", then "startup", "" and
    // "preopen". A command line that matches no row ends the process at once.
    std::vector<DispatchStep> steps;
    auto openDialog = [&context](services::FrameworkPage page) -> services::CORVEN_FORM_2_2& {
        auto& dialog = static_cast<services::CORVEN_FORM_2_2&>(
            context.windows.Load(std::make_unique<services::CORVEN_FORM_2_2>(
                context.platform, context.facts, context.language)));
        dialog.OpenOn(page);
        return dialog;
    };
    steps.push_back(
        {L"lang", MatchTest::Equal, AfterStep::Returns, [openDialog](const std::wstring&) {
             openDialog(services::FrameworkPage::Language).Command3.SetFocus();
         }});
    steps.push_back(
        {L"subscribe", MatchTest::Equal, AfterStep::Returns,
         [openDialog](const std::wstring&) { openDialog(services::FrameworkPage::Subscription); }});
    steps.push_back(
        {L"updates", MatchTest::Equal, AfterStep::Ends, [&context](const std::wstring&) {
             services::SaveSetting(
                 context.platform.registry, services::kAppKey, L"Settings",
                 services::kRecentUpdateSetting,
                 services::NowText(context.platform.clock, context.platform.locale));
             services::OpenWebLink(context.platform, context.facts, context.language,
                                   services::kTopicUpdates, L"", false);
         }});
    steps.push_back(
        {L"install", MatchTest::Equal, AfterStep::Ends, [&context](const std::wstring&) {
             Install(context.platform, context.facts, context.language);
         }});
    steps.push_back(
        {L"uninstall", MatchTest::Equal, AfterStep::Ends, [&context](const std::wstring&) {
             Uninstall(context.platform, context.facts, context.language);
         }});
    steps.push_back({services::kSetupInstallWord, MatchTest::Equal, AfterStep::Ends,
                     [&context](const std::wstring&) {
                         Install(context.platform, context.facts, context.language);
                     }});
    steps.push_back(
        {services::kSetupUninstallWord, MatchTest::Equal, AfterStep::Ends,
         [&context](const std::wstring&) { UninstallForSetup(context.platform, context.facts); }});
    steps.push_back({L"vexo", MatchTest::Equal, AfterStep::Ends, [&context](const std::wstring&) {
                         services::CheckTranslation(context.platform, context.facts,
                                                    context.language);
                     }});
    steps.push_back({services::kRemovalWord, MatchTest::Contains, AfterStep::GoesOn,
                     [&context](const std::wstring& commandLine) {
                         ShowHandOffPopup(context, commandLine, services::kRemovalWord,
                                          monitor::PopupNotice::Removed);
                     }});
    steps.push_back({services::kSwitchedOffWord, MatchTest::Contains, AfterStep::GoesOn,
                     [&context](const std::wstring& commandLine) {
                         ShowHandOffPopup(context, commandLine, services::kSwitchedOffWord,
                                          monitor::PopupNotice::SwitchedOff);
                     }});
    steps.push_back({services::kAdminOnlyWord, MatchTest::Contains, AfterStep::GoesOn,
                     [&context](const std::wstring& commandLine) {
                         ShowHandOffPopup(context, commandLine, services::kAdminOnlyWord,
                                          monitor::PopupNotice::AdminOnly);
                     }});
    steps.push_back({services::kReminderWord, MatchTest::Contains, AfterStep::GoesOn,
                     [&context](const std::wstring& commandLine) {
                         ShowHandOffPopup(context, commandLine, services::kReminderWord,
                                          monitor::PopupNotice::NewRecord);
                     }});
    steps.push_back({services::kStartupWord, MatchTest::Equal, AfterStep::Returns,
                     [&context](const std::wstring&) {
                         const auto startMode = services::StartModeFromStored(services::GetSetting(
                             context.platform.registry, services::kAppKey,
                             services::kSettingsSection, services::kStartModeKey));
                         context.windows.Load(std::make_unique<monitor::TrayAgent>(
                             context.platform, context.facts, context.language, startMode));
                     }});
    steps.push_back({L"", MatchTest::Equal, AfterStep::GoesOn, [&context](const std::wstring&) {
                         context.windows.Load(
                             std::make_unique<manager::Main>(context.platform, context.windows,
                                                             context.facts, context.language, L""));
                     }});
    steps.push_back({services::kPreopenWord, MatchTest::Contains, AfterStep::Returns,
                     [&context](const std::wstring& commandLine) {
                         context.windows.Load(std::make_unique<manager::Main>(
                             context.platform, context.windows, context.facts, context.language,
                             RemoveEveryOccurrence(commandLine, services::kPreopenWord)));
                     }});
    return steps;
}

DispatchOutcome RunEntry(platform::Platform& platform, ui::WindowSystem& windows,
                         const std::wstring& commandLine) {
    EntryContext context{platform, windows, services::FrameworkStartup(platform), {}};
    auto language = services::ChooseLanguage(platform, context.facts);
    if (!language) {
        return DispatchOutcome::EndProcess;
    }
    context.language = std::move(*language);
    // A silent setup program and the setup's uninstaller wait for their step and may run with
    // no one to answer.
    const bool forSetup =
        commandLine == services::kSetupInstallWord || commandLine == services::kSetupUninstallWord;
    services::UpdateCheckReminder(platform, context.facts, context.language, !forSetup);
    const DispatchOutcome outcome = Dispatch(ModeTable(context), commandLine);
    if (outcome == DispatchOutcome::Returned) {
        // The windows the mode opened use the context: it lives until the last one closes.
        windows.RunMessageLoop();
    }
    return outcome;
}

} // namespace vtrl::shell
