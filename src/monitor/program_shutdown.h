#pragma once
// "Shut down file if running": ending exactly the processes started from one executable file.

#include "platform/platform.h"

#include <string>
#include <vector>

namespace vtrl::monitor {

// Ends every process of the list whose full path is the file's (ignoring case), by its id; a
// namesake in another folder, and a process whose path cannot be read, are left running. The
// number of processes ended.
int ShutDownProgram(platform::Platform& platform,
                    const std::vector<platform::RunningProcess>& running,
                    const std::wstring& exePath);

} // namespace vtrl::monitor
