#pragma once
// The start of every process: system facts first, then the mode chosen by the command line.

#include "platform/platform.h"
#include "platform/ui/window_system.h"
#include "services/localisation.h"
#include "services/system_facts.h"
#include "shell/dispatch.h"

#include <string>
#include <vector>

namespace vtrl::shell {

struct EntryContext {
    platform::Platform& platform;
    ui::WindowSystem& windows; // loads the windows the modes open
    services::SystemFacts facts;
    services::Language language; // chosen right after the facts
};

// The modes this program offers, in the order they are tested.
std::vector<DispatchStep> ModeTable(EntryContext& context);

// Runs the start-up and the dispatch, then, when a mode opened windows, their message loop until
// the last one closes.
DispatchOutcome RunEntry(platform::Platform& platform, ui::WindowSystem& windows,
                         const std::wstring& commandLine);

} // namespace vtrl::shell
