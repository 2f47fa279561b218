#pragma once
// What every native window of ours needs: the window classes' names, the window's DPI, our
// colours in GDI's form, and a window's text.

#include "platform/ui/control.h"

#include <windows.h>

#include <string>

namespace vtrl::win32 {

inline constexpr wchar_t kFormClass[] = L"VantorelForm";
inline constexpr wchar_t kPanelClass[] = L"VantorelPanel";
inline constexpr int kDefaultDpi = 96;
// Each control's name, as a global atom in this window property, so that tools and tests in
// other processes find a control by the name the code gives it.
inline constexpr wchar_t kControlNameProperty[] = L"VantorelControl";

// The window's DPI, or the screen's for null or where the system cannot tell per window.
UINT WindowDpi(HWND window);

inline COLORREF ToColorRef(ui::Colour colour) {
    return static_cast<COLORREF>(colour & 0x00FFFFFF);
}

std::wstring WindowText(HWND window);

} // namespace vtrl::win32
