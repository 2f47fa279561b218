#include "platform/win32/win32_files.h"

#include "platform/win32/unique_handle.h"

#include <windows.h>

#include <algorithm>
#include <limits>

namespace vtrl::win32 {

namespace {

DWORD Attributes(const std::wstring& path) {
    if (path.empty() || path.find(L'\0') != std::wstring::npos) {
        return INVALID_FILE_ATTRIBUTES;
    }
    return GetFileAttributesW(path.c_str());
}

bool WriteAllTo(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(
            std::min<std::size_t>(bytes.size(), std::numeric_limits<DWORD>::max() / 2));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

} // namespace

bool Win32FileSystem::FileExists(const std::wstring& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32FileSystem::FolderExists(const std::wstring& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32FileSystem::CreateFolder(const std::wstring& path) {
    if (Attributes(path) != INVALID_FILE_ATTRIBUTES || path.empty() ||
        path.find(L'\0') != std::wstring::npos) {
        return FolderExists(path);
    }
    if (guard_.Refuses(path)) {
        return false;
    }
    return CreateDirectoryW(path.c_str(), nullptr) != FALSE;
}

std::optional<std::string> Win32FileSystem::ReadAll(const std::wstring& path) {
    if (path.empty() || path.find(L'\0') != std::wstring::npos || guard_.Refuses(path)) {
        return std::nullopt;
    }
    unique_file file(CreateFileW(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | guard_.OpenFlags(path), nullptr));
    if (!file || (guard_.Covers(path) && ReparseGuard::IsReparsePoint(file.get()))) {
        return std::nullopt;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) {
        return std::nullopt;
    }
    std::string content;
    content.reserve(static_cast<std::size_t>(size.QuadPart));
    char buffer[64 * 1024];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) {
            return std::nullopt;
        }
        if (read == 0) {
            break;
        }
        content.append(buffer, read);
    }
    return content;
}

bool Win32FileSystem::ReplaceAll(const std::wstring& path, std::string_view bytes) {
    if (path.empty() || path.find(L'\0') != std::wstring::npos) {
        return false;
    }
    // The temporary file lives beside the target so that the final move stays on one volume.
    const std::wstring temporary = path + L".~" + std::to_wstring(GetCurrentProcessId());
    if (guard_.Refuses(path) || guard_.Refuses(temporary)) {
        return false;
    }
    {
        unique_file file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL | guard_.OpenFlags(temporary), nullptr));
        if (!file) {
            return false;
        }
        if (guard_.Covers(temporary) && ReparseGuard::IsReparsePoint(file.get())) {
            return false;
        }
        if (!WriteAllTo(file.get(), bytes) || !FlushFileBuffers(file.get())) {
            file.reset();
            DeleteFileW(temporary.c_str());
            return false;
        }
    }
    if (!MoveFileExW(temporary.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

bool Win32FileSystem::Overwrite(const std::wstring& path, std::string_view bytes) {
    if (path.empty() || path.find(L'\0') != std::wstring::npos || guard_.Refuses(path)) {
        return false;
    }
    unique_file file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL | guard_.OpenFlags(path), nullptr));
    return file && !(guard_.Covers(path) && ReparseGuard::IsReparsePoint(file.get())) &&
           WriteAllTo(file.get(), bytes);
}

bool Win32FileSystem::CreateNewEmpty(const std::wstring& path) {
    if (path.empty() || path.find(L'\0') != std::wstring::npos || guard_.Refuses(path)) {
        return false;
    }
    unique_file file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL | guard_.OpenFlags(path), nullptr));
    return static_cast<bool>(file);
}

bool Win32FileSystem::Remove(const std::wstring& path) {
    if (path.empty() || path.find(L'\0') != std::wstring::npos || guard_.Refuses(path)) {
        return false;
    }
    return DeleteFileW(path.c_str()) != FALSE;
}

bool Win32FileSystem::RemoveEmptyFolder(const std::wstring& path) {
    if (path.empty() || path.find(L'\0') != std::wstring::npos || guard_.Refuses(path)) {
        return false;
    }
    return RemoveDirectoryW(path.c_str()) != FALSE;
}

std::optional<std::uint64_t> Win32FileSystem::FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (Attributes(path) == INVALID_FILE_ATTRIBUTES ||
        !GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::nullopt;
    }
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::optional<std::uint64_t> Win32FileSystem::LastWriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (Attributes(path) == INVALID_FILE_ATTRIBUTES ||
        !GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::nullopt;
    }
    return (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
           data.ftLastWriteTime.dwLowDateTime;
}

std::vector<platform::FolderEntry> Win32FileSystem::ListFolder(const std::wstring& folder,
                                                               const std::wstring& pattern) {
    std::vector<platform::FolderEntry> entries;
    const std::wstring query = folder + L"\\" + pattern;
    if (folder.empty() || query.find(L'\0') != std::wstring::npos) {
        return entries;
    }
    WIN32_FIND_DATAW found{};
    const unique_find search(FindFirstFileExW(query.c_str(), FindExInfoBasic, &found,
                                              FindExSearchNameMatch, nullptr, 0));
    if (!search) {
        return entries;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        entries.push_back(
            {name, found.dwFileAttributes,
             (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow});
    } while (FindNextFileW(search.get(), &found));
    return entries;
}

void Win32FileSystem::RefuseReparsePointsIn(const std::wstring& folder, const std::wstring& root) {
    guard_.Guard(folder, root);
}

// Attributes: kept apart from the reading and writing above.

std::optional<std::uint32_t> Win32FileSystem::FileAttributes(const std::wstring& path) {
    const DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(attributes);
}

bool Win32FileSystem::ChangeAttributes(const std::wstring& path, std::uint32_t attributes) {
    if (guard_.Refuses(path) || Attributes(path) == INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    return SetFileAttributesW(path.c_str(), attributes) != FALSE;
}

} // namespace vtrl::win32
