#pragma once

#include "platform/version_info.h"

namespace vtrl::win32 {

class Win32VersionInfo final : public platform::VersionInfo {
public:
    std::optional<platform::ModuleVersion> OwnVersion() override;
    std::optional<std::vector<std::uint8_t>> ReadVersionBlock(const std::wstring& path) override;
};

} // namespace vtrl::win32
