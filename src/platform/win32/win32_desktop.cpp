#include "platform/win32/win32_desktop.h"

#include <windows.h>

namespace vtrl::win32 {

void Win32Desktop::CloseWindowByTitle(const std::wstring& caption, bool quit) {
    // No class name: any top-level window whose caption matches exactly.
    HWND window = FindWindowW(nullptr, caption.c_str());
    if (window != nullptr) {
        PostMessageW(window, quit ? WM_QUIT : WM_CLOSE, 0, 0);
    }
}

bool Win32Desktop::WindowExists(const std::wstring& caption) {
    return FindWindowW(nullptr, caption.c_str()) != nullptr;
}

} // namespace vtrl::win32
