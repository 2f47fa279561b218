#pragma once
// Opens inside one folder that never pass through a reparse point (junction, symbolic link,
// mount point): what an elevated process needs for a folder a standard process can write, so
// that a link planted there cannot turn its writes onto files the standard process may not touch.

#include <windows.h>

#include <string>

namespace vtrl::win32 {

class ReparseGuard {
public:
    // From now on, paths inside folder are guarded; root is the trusted folder above it (the
    // user's profile), below which every folder on the way is checked. An empty root, or one that
    // folder does not lie in, checks every folder below the drive or share.
    void Guard(const std::wstring& folder, const std::wstring& root);

    // Whether the path lies inside the guarded folder (the folder itself included).
    bool Covers(const std::wstring& path) const;
    // For a covered path: true when a folder from below the root down to the path's own folder,
    // or the path itself when it exists, is a reparse point or cannot be examined. False for a
    // path not covered.
    bool Refuses(const std::wstring& path) const;
    // FILE_FLAG_OPEN_REPARSE_POINT for a covered path, so a link swapped in after the check is
    // opened itself rather than followed; 0 otherwise.
    DWORD OpenFlags(const std::wstring& path) const;
    // For a handle opened with OpenFlags: true when it is a reparse point after all.
    static bool IsReparsePoint(HANDLE file);

private:
    std::wstring folder_; // without a trailing backslash; empty while nothing is guarded
    std::wstring root_;
};

} // namespace vtrl::win32
