#pragma once
// The programs running on the machine.

#include <optional>
#include <string>
#include <vector>

namespace vtrl::platform {

class Processes {
public:
    virtual ~Processes() = default;
    // The executable file name (no folder) of every running process, in the system's order;
    // nullopt when the processes cannot be listed.
    virtual std::optional<std::vector<std::wstring>> RunningProcessNames() = 0;
};

} // namespace vtrl::platform
