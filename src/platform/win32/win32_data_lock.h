#pragma once

#include "platform/data_lock.h"

namespace vtrl::win32 {

// A named mutex in the session's "Local\" namespace per data folder.
class Win32DataLocks final : public platform::DataLocks {
public:
    std::unique_ptr<platform::DataLockHold> Acquire(const std::wstring& folder,
                                                    std::uint32_t waitMilliseconds) override;
};

// The mutex name for a folder: the same for every spelling of the same full path (case, "\.",
// a trailing backslash), different for different folders.
std::wstring DataLockName(const std::wstring& folder);

} // namespace vtrl::win32
