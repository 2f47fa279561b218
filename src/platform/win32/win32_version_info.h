#pragma once

#include "platform/version_info.h"

namespace vtrl::win32 {

class Win32VersionInfo final : public platform::VersionInfo {
public:
    std::optional<platform::ModuleVersion> OwnVersion() override;
};

} // namespace vtrl::win32
