// The program's one message loop on real windows: the dialog keyboard handling moves the focus
// between a form's controls.

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_window_basics.h"
#include "ticking_form.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace vtrl {
namespace {

class TwoButtons final : public ui::Form {
public:
    TwoButtons() : ui::Form(L"Keyboard", 3000, 1200, ui::FormStyle::Dialog) {
        Add(First);
        Add(Second);
    }
    ui::Control First{ui::ControlKind::Button, L"First", {120, 120, 1200, 375}, L"First"};
    ui::Control Second{ui::ControlKind::Button, L"Second", {1440, 120, 1200, 375}, L"Second"};
};

std::wstring FocusedText() {
    HWND focused = GetFocus();
    return focused != nullptr ? win32::WindowText(focused) : L"";
}

TEST(RealMessageLoop, TabMovesTheFocusToTheNextControl) {
    win32::Win32Platform real;
    win32::Win32WindowSystem& windows = real.Windows();
    auto& form = static_cast<TwoButtons&>(windows.Load(std::make_unique<TwoButtons>()));
    auto& probe = static_cast<testing_support::TickingForm&>(
        windows.Load(std::make_unique<testing_support::TickingForm>(20)));
    form.Show();
    form.First.SetFocus();
    ASSERT_EQ(FocusedText(), L"First");

    // Keys arrive as posted messages for the focused control, as the keyboard sends them.
    HWND first = GetFocus();
    PostMessageW(first, WM_KEYDOWN, VK_TAB, 0x000F0001);
    PostMessageW(first, WM_KEYUP, VK_TAB, static_cast<LPARAM>(0xC00F0001));
    const ULONGLONG posted = GetTickCount64();
    windows.RunMessageLoopUntil(
        [&] { return FocusedText() == L"Second" || GetTickCount64() - posted > 3000; });
    EXPECT_EQ(FocusedText(), L"Second");

    form.Unload();
    probe.Unload();
    windows.RunMessageLoop();
}

} // namespace
} // namespace vtrl
