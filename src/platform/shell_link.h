#pragma once
// Shell shortcuts (.lnk files).

#include <optional>
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

// What a shortcut starts.
struct LinkTarget {
    std::wstring targetPath; // empty for a shell item without a file-system path
    std::wstring arguments;
};

class ShellLinks {
public:
    virtual ~ShellLinks() = default;
    // Writes the shortcut file; true when it was saved.
    virtual bool CreateLink(const LinkSpec& link) = 0;
    // Loads the shortcut file; nullopt when it cannot be read as a shortcut.
    virtual std::optional<LinkTarget> ReadLink(const std::wstring& linkPath) = 0;
};

} // namespace vtrl::platform
