#pragma once
// The uninstall steps as the setup program's uninstaller runs them: no question, no message and
// no page, the user's settings and data kept, and nothing left to a script that runs after the
// process has ended, because the uninstaller deletes the program's files itself once this
// returns.

#include "platform/platform.h"
#include "services/command_words.h"
#include "services/system_facts.h"
#include "shell/installation.h"

#include <chrono>

namespace vtrl::shell {

// How long the steps wait for the tray agent to end after asking it to close, and how often
// they look: the uninstaller cannot delete an executable that still runs.
inline constexpr std::chrono::milliseconds kAgentCloseWait{10000};
inline constexpr std::chrono::milliseconds kAgentCloseLook{100};

// Removes the agent start shortcut, closes the tray agent and waits for it, removes the desktop
// shortcut, the program group with its files and the uninstall entry. Each step that fails is
// skipped. pause waits the given time (tests pass their own).
void UninstallForSetup(platform::Platform& platform, const services::SystemFacts& facts,
                       const PauseFunction& pause = {});

} // namespace vtrl::shell
