#include "shell/entry.h"

namespace vtrl::shell {

std::vector<DispatchStep> ModeTable(EntryContext& /*context*/) {
    // Each mode joins this table, in its place, with the window or one-shot step it runs:
    // "lang", "subscribe", "updates", "install", "uninstall", "vexo", then the hand-off words
    // "notifi" and "unknown", then "startup", "" and "preopen". A command line that matches no
    // row ends the process at once.
    return {};
}

DispatchOutcome RunEntry(platform::Platform& platform, const std::wstring& commandLine) {
    EntryContext context{platform, services::FrameworkStartup(platform)};
    return Dispatch(ModeTable(context), commandLine);
}

} // namespace vtrl::shell
