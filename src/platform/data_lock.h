#pragma once
// One writer at a time for the data files of a folder, across every process of the session.

#include <cstdint>
#include <memory>
#include <string>

namespace vtrl::platform {

// The writer's turn, held while the object lives; destroying it lets the next writer in.
class DataLockHold {
public:
    virtual ~DataLockHold() = default;
};

class DataLocks {
public:
    virtual ~DataLocks() = default;
    // Waits at most `waitMilliseconds` for the turn on `folder` (two folders never wait for each
    // other); nullptr when it did not come in time or no lock could be made. A turn left behind
    // by a process that ended while holding it is taken over, never waited for.
    virtual std::unique_ptr<DataLockHold> Acquire(const std::wstring& folder,
                                                  std::uint32_t waitMilliseconds) = 0;
};

} // namespace vtrl::platform
