#pragma once
// Shell shortcuts (.lnk files).

#include <string>

namespace vtrl::platform {

struct LinkSpec {
    std::wstring linkPath;
    std::wstring targetPath;
    std::wstring description;
    std::wstring workingDirectory;
    std::wstring arguments;
    std::wstring iconLocation; // empty: the target's own icon
};

class ShellLinks {
public:
    virtual ~ShellLinks() = default;
    // Writes the shortcut file; true when it was saved.
    virtual bool CreateLink(const LinkSpec& link) = 0;
};

} // namespace vtrl::platform
