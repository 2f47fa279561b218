#pragma once

#include "platform/processes.h"

namespace vtrl::win32 {

// One Toolhelp snapshot per listing; full paths from QueryFullProcessImageNameW.
class Win32Processes final : public platform::Processes {
public:
    std::optional<std::vector<platform::RunningProcess>> RunningProcesses() override;
    bool EndProcess(std::uint32_t id, const std::wstring& imagePath) override;
};

} // namespace vtrl::win32
