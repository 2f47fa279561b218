#include "platform/win32/win32_reparse_guard.h"

namespace vtrl::win32 {

namespace {

std::wstring WithoutTrailingBackslash(std::wstring path) {
    while (path.size() > 1 && path.back() == L'\\') {
        path.pop_back();
    }
    return path;
}

// Whether path is base or lies below it, ignoring case.
bool IsWithin(const std::wstring& path, const std::wstring& base) {
    if (base.empty() || path.size() < base.size() ||
        CompareStringOrdinal(path.c_str(), static_cast<int>(base.size()), base.c_str(),
                             static_cast<int>(base.size()), TRUE) != CSTR_EQUAL) {
        return false;
    }
    return path.size() == base.size() || path[base.size()] == L'\\';
}

// Where the folders a caller may check begin: after "C:\" or "\\server\share\".
std::size_t FirstCheckedSeparator(const std::wstring& path) {
    if (path.starts_with(L"\\\\")) {
        const std::size_t server = path.find(L'\\', 2);
        const std::size_t share =
            server == std::wstring::npos ? std::wstring::npos : path.find(L'\\', server + 1);
        return share;
    }
    return path.find(L'\\');
}

bool IsLinkOrUnreadable(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

} // namespace

void ReparseGuard::Guard(const std::wstring& folder, const std::wstring& root) {
    folder_ = WithoutTrailingBackslash(folder);
    root_ = WithoutTrailingBackslash(root);
    if (!IsWithin(folder_, root_)) {
        root_.clear();
    }
}

bool ReparseGuard::Covers(const std::wstring& path) const {
    return IsWithin(path, folder_);
}

bool ReparseGuard::Refuses(const std::wstring& path) const {
    if (!Covers(path)) {
        return false;
    }
    // Every folder on the way, from the first one below the root (or the drive) down to the
    // path's own folder.
    std::size_t separator =
        root_.empty() ? FirstCheckedSeparator(path) : path.find(L'\\', root_.size() + 1);
    if (root_.empty() && separator != std::wstring::npos) {
        separator = path.find(L'\\', separator + 1);
    }
    for (; separator != std::wstring::npos; separator = path.find(L'\\', separator + 1)) {
        if (IsLinkOrUnreadable(path.substr(0, separator))) {
            return true;
        }
    }
    // The path itself may be missing (a file about to be made), but never a link.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

DWORD ReparseGuard::OpenFlags(const std::wstring& path) const {
    return Covers(path) ? FILE_FLAG_OPEN_REPARSE_POINT : 0;
}

bool ReparseGuard::IsReparsePoint(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION information{};
    return !GetFileInformationByHandle(file, &information) ||
           (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

} // namespace vtrl::win32
