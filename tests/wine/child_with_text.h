// The window among a window's descendants whose text is the one asked for: how the tests find
// a control by what it shows, as a user would.
#pragma once

#include "platform/win32/win32_window_basics.h"

#include <windows.h>

#include <string>

namespace vtrl::testing_support {

// The first descendant of parent whose window text is text; null when there is none.
inline HWND ChildWithText(HWND parent, const std::wstring& text) {
    struct Search {
        const std::wstring& text;
        HWND found = nullptr;
    } search{text};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM wanted) -> BOOL {
            auto& search = *reinterpret_cast<Search*>(wanted);
            if (win32::WindowText(child) != search.text) {
                return TRUE;
            }
            search.found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace vtrl::testing_support
