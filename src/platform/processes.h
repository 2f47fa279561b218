#pragma once
// The programs running on the machine.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vtrl::platform {

struct RunningProcess {
    std::uint32_t id = 0;
    std::wstring exeFile;   // the executable's file name (no folder), as the system lists it
    std::wstring imagePath; // the executable's full path; empty when it cannot be read
};

class Processes {
public:
    virtual ~Processes() = default;
    // Every running process, in the system's order; nullopt when the processes cannot be listed.
    virtual std::optional<std::vector<RunningProcess>> RunningProcesses() = 0;
    // Ends the process with this id, but only while its full path is still imagePath (an id
    // freed and reused by another program since the listing is left alone). True when it was
    // ended.
    virtual bool EndProcess(std::uint32_t id, const std::wstring& imagePath) = 0;
};

} // namespace vtrl::platform
