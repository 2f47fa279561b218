#pragma once
// Version resources.

#include <optional>

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
};

} // namespace vtrl::platform
