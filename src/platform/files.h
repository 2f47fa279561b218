#pragma once
// Files and folders by full path.

#include <optional>
#include <string>
#include <string_view>

namespace vtrl::platform {

class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual bool FileExists(const std::wstring& path) = 0;   // an existing file, not a folder
    virtual bool FolderExists(const std::wstring& path) = 0; // an existing folder
    // Creates one folder level; the parent must exist.
    virtual bool CreateFolder(const std::wstring& path) = 0;
    // The whole content; nullopt when the file is missing or cannot be read.
    virtual std::optional<std::string> ReadAll(const std::wstring& path) = 0;
    // Writes a temporary file beside the target, flushes it, and replaces the target in one step,
    // so that the target is always either the old or the new content.
    virtual bool ReplaceAll(const std::wstring& path, std::string_view bytes) = 0;
    // Creates a new empty file; fails (and touches nothing) when the file already exists.
    virtual bool CreateNewEmpty(const std::wstring& path) = 0;
    virtual bool Remove(const std::wstring& path) = 0;
};

} // namespace vtrl::platform
