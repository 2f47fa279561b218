#include "shell/entry.h"

#include "services/date_time.h"
#include "services/settings_store.h"
#include "services/web_links.h"

namespace vtrl::shell {

std::vector<DispatchStep> ModeTable(EntryContext& context) {
    // Each mode joins this table, in its place, with the window or one-shot step it runs:
    // "lang", "subscribe", "updates", "install", "uninstall", "vexo", then the hand-off words
    // "notifi" and "unknown", then "startup", "" and "preopen". A command line that matches no
    // row ends the process at once.
    std::vector<DispatchStep> steps;
    steps.push_back(
        {L"updates", MatchTest::Equal, AfterStep::Ends, [&context](const std::wstring&) {
             services::SaveSetting(context.platform.registry, services::kAppKey, L"Settings",
                                   services::kRecentUpdateSetting,
                                   services::NowText(context.platform));
             services::OpenWebLink(context.platform, context.facts, context.language,
                                   services::kTopicUpdates, L"", false);
         }});
    steps.push_back({L"vexo", MatchTest::Equal, AfterStep::Ends, [&context](const std::wstring&) {
                         services::CheckTranslation(context.platform, context.facts,
                                                    context.language);
                     }});
    return steps;
}

DispatchOutcome RunEntry(platform::Platform& platform, const std::wstring& commandLine) {
    EntryContext context{platform, services::FrameworkStartup(platform), {}};
    auto language = services::ChooseLanguage(platform, context.facts);
    if (!language) {
        return DispatchOutcome::EndProcess;
    }
    context.language = std::move(*language);
    services::UpdateCheckReminder(platform, context.facts, context.language, true);
    return Dispatch(ModeTable(context), commandLine);
}

} // namespace vtrl::shell
