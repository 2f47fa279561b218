#include "platform/win32/win32_file_dialog.h"

#include <commdlg.h>

#include <algorithm>
#include <cwchar>

namespace vtrl::win32 {

std::optional<std::wstring> ShowOpenFileDialog(HWND owner, const ui::OpenFileRequest& request) {
    // The dialog wants its filter as NUL-separated pairs ending in two NULs.
    std::wstring filter = request.filter;
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    filter.append(2, L'\0');
    constexpr std::size_t kPathBuffer = 32768;
    std::wstring file = request.fileName;
    file.resize(std::max(file.size() + 1, kPathBuffer), L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir =
        request.initialFolder.empty() ? nullptr : request.initialFolder.c_str();
    dialog.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
    // The process keeps its current folder whatever the user browses through.
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
    if (GetOpenFileNameW(&dialog) == FALSE) {
        return std::nullopt;
    }
    file.resize(std::wcslen(file.c_str()));
    return file;
}

} // namespace vtrl::win32
