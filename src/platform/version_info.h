#pragma once
// Version resources.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vtrl::platform {

struct ModuleVersion {
    int major = 0;
    int minor = 0;
};

class VersionInfo {
public:
    virtual ~VersionInfo() = default;
    // The file version of the running executable.
    virtual std::optional<ModuleVersion> OwnVersion() = 0;
    // The raw version resource of a file, as the version API copies it out; nullopt when the
    // file has none or it cannot be read.
    virtual std::optional<std::vector<std::uint8_t>> ReadVersionBlock(const std::wstring& path) = 0;
};

} // namespace vtrl::platform
