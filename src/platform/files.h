#pragma once
// Files and folders by full path.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vtrl::platform {

// File attribute bits as Windows numbers them.
inline constexpr std::uint32_t kAttributeReadOnly = 0x01;
inline constexpr std::uint32_t kAttributeHidden = 0x02;
inline constexpr std::uint32_t kAttributeSystem = 0x04;
inline constexpr std::uint32_t kAttributeDirectory = 0x10;
inline constexpr std::uint32_t kAttributeArchive = 0x20;
inline constexpr std::uint32_t kAttributeNormal = 0x80;

struct FolderEntry {
    std::wstring name; // file name only
    std::uint32_t attributes = 0;
    std::uint64_t size = 0;
};

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
    // Creates or truncates the file and writes the bytes, nothing more: for small markers that
    // must outlive a crash of this process, where a torn write does no harm and the safe
    // replacement's flush would cost more than the step it marks.
    virtual bool Overwrite(const std::wstring& path, std::string_view bytes) {
        return ReplaceAll(path, bytes);
    }
    // Creates a new empty file; fails (and touches nothing) when the file already exists.
    virtual bool CreateNewEmpty(const std::wstring& path) = 0;
    virtual bool Remove(const std::wstring& path) = 0;
    // Size in bytes; nullopt when the file is missing or cannot be read.
    virtual std::optional<std::uint64_t> FileSize(const std::wstring& path) = 0;
    // Entries of the folder whose names match the pattern ("*.lnk"), in the system's listing
    // order, without "." and "..".
    virtual std::vector<FolderEntry> ListFolder(const std::wstring& folder,
                                                const std::wstring& pattern) = 0;
    // From now on, nothing inside folder is read, created, replaced or removed through a reparse
    // point (junction, symbolic link): not when the file itself or a folder on its way below root
    // is one; such a call fails instead. For an elevated process whose data folder a standard
    // process can write. Without root, every folder below the drive is checked. A file system
    // without links (in memory) has nothing to refuse.
    virtual void RefuseReparsePointsIn(const std::wstring& /*folder*/,
                                       const std::wstring& /*root*/) {}
    // The attribute bits of a file or folder; nullopt when it is missing or cannot be asked.
    // A wrapper that does not pass these on knows no attributes and changes none.
    virtual std::optional<std::uint32_t> FileAttributes(const std::wstring& path) {
        (void)path;
        return std::nullopt;
    }
    // Removes a folder that holds nothing; false when it is missing, not empty or cannot be
    // removed. A wrapper that does not pass this on removes nothing.
    virtual bool RemoveEmptyFolder(const std::wstring& path) {
        (void)path;
        return false;
    }
    // When the file's content was last written: a FILETIME in UTC (100-ns ticks since 1601);
    // nullopt when it is missing or cannot be asked. A wrapper that does not pass this on knows
    // no time.
    virtual std::optional<std::uint64_t> LastWriteTime(const std::wstring& path) {
        (void)path;
        return std::nullopt;
    }
    // Sets exactly these bits (kAttributeNormal alone for none); true when they are set.
    virtual bool ChangeAttributes(const std::wstring& path, std::uint32_t attributes) {
        (void)path;
        (void)attributes;
        return false;
    }
};

} // namespace vtrl::platform
