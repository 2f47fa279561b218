#pragma once

#include "platform/processes.h"

namespace vtrl::win32 {

// One Toolhelp snapshot per call.
class Win32Processes final : public platform::Processes {
public:
    std::optional<std::vector<std::wstring>> RunningProcessNames() override;
};

} // namespace vtrl::win32
