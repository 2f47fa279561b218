// A label's access key on real windows: Alt and its letter put the focus into the box made after
// it, with the box's text selected, and the box's control knows it has the focus.

#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_window_basics.h"
#include "ticking_form.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace vtrl {
namespace {

class LabelledBox final : public ui::Form {
public:
    LabelledBox() : ui::Form(L"Labelled box", 4000, 1200, ui::FormStyle::Dialog) {
        Add(Button);
        Add(Find);
        Add(Box);
    }
    ui::Control Button{ui::ControlKind::Button, L"Button", {120, 120, 1200, 375}, L"Other"};
    ui::Control Find{ui::ControlKind::Label, L"Find", {120, 600, 720, 255}, L"Find:"};
    ui::Control Box{ui::ControlKind::TextBox, L"Box", {960, 570, 1800, 315}, L"old text"};
};

TEST(RealLabelAccessKey, FocusesTheBoxAfterTheLabelWithItsTextSelected) {
    win32::Win32Platform real;
    win32::Win32WindowSystem& windows = real.Windows();
    auto& form = static_cast<LabelledBox&>(windows.Load(std::make_unique<LabelledBox>()));
    auto& probe = static_cast<testing_support::TickingForm&>(
        windows.Load(std::make_unique<testing_support::TickingForm>(20)));
    form.Find.SetAccessKey(L'F');
    form.Show();
    form.Button.SetFocus();
    HWND window = FindWindowW(nullptr, L"Labelled box");
    ASSERT_NE(window, nullptr);
    HWND box = FindWindowExW(window, nullptr, L"EDIT", nullptr);
    ASSERT_NE(box, nullptr);
    ASSERT_NE(GetFocus(), box);
    EXPECT_FALSE(form.Box.HasFocus());

    // Alt+F as the keyboard sends it to the focused control: a system character.
    PostMessageW(GetFocus(), WM_SYSCHAR, L'f', 0x20000001);
    const ULONGLONG posted = GetTickCount64();
    windows.RunMessageLoopUntil(
        [&] { return GetFocus() == box || GetTickCount64() - posted > 3000; });
    EXPECT_EQ(GetFocus(), box);
    EXPECT_TRUE(form.Box.HasFocus()) << "the control learns where the caret is";
    DWORD start = 1;
    DWORD end = 0;
    SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 8u) << "typing replaces the old text";

    form.Button.SetFocus();
    const ULONGLONG moved = GetTickCount64();
    windows.RunMessageLoopUntil(
        [&] { return !form.Box.HasFocus() || GetTickCount64() - moved > 3000; });
    EXPECT_FALSE(form.Box.HasFocus());

    form.Unload();
    probe.Unload();
    windows.RunMessageLoop();
}

} // namespace
} // namespace vtrl
