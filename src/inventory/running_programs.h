#pragma once
// Which running processes were started from a given executable file: judged by the full path
// wherever the system tells it, by the file name only where it does not (and then never for
// ending a process).

#include "platform/platform.h"

#include <string>
#include <unordered_set>
#include <vector>

namespace vtrl::inventory {

// Every running process; empty when none could be listed.
std::vector<platform::RunningProcess> ListRunningProcesses(platform::Processes& processes);

// A path as compared here: without a "\\?\" prefix, "/" as "\", lower case.
std::wstring ComparablePath(platform::Locale& locale, const std::wstring& path);

// The processes whose full path is this file's, ignoring case. Processes whose path cannot be
// read are never among them.
std::vector<platform::RunningProcess>
ProcessesStartedFrom(platform::Locale& locale, const std::vector<platform::RunningProcess>& running,
                     const std::wstring& path);

// Whether the file runs: a process started from it, or a process whose path cannot be read and
// whose file name equals the file's whole name (my.tool.exe, not my.exe), ignoring case.
bool IsProgramRunning(platform::Locale& locale,
                      const std::vector<platform::RunningProcess>& running,
                      const std::wstring& path);

// IsProgramRunning for many files against one list of processes: each process's path and name
// made comparable once, so that a scan of a thousand records does not fold every process's path
// a thousand times.
class RunningProgramIndex {
public:
    RunningProgramIndex(platform::Locale& locale,
                        const std::vector<platform::RunningProcess>& running);
    bool IsRunning(platform::Locale& locale, const std::wstring& path) const;

private:
    std::unordered_set<std::wstring> paths_;
    // The lower-case file names of the processes whose path cannot be read.
    std::unordered_set<std::wstring> pathlessNames_;
};

} // namespace vtrl::inventory
