#include "monitor/program_shutdown.h"

#include "inventory/running_programs.h"

namespace vtrl::monitor {

int ShutDownProgram(platform::Platform& platform,
                    const std::vector<platform::RunningProcess>& running,
                    const std::wstring& exePath) {
    int ended = 0;
    for (const platform::RunningProcess& process :
         inventory::ProcessesStartedFrom(platform.locale, running, exePath)) {
        if (platform.processes.EndProcess(process.id, process.imagePath)) {
            ++ended;
        }
    }
    return ended;
}

} // namespace vtrl::monitor
