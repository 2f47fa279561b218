// A control's tooltip on real windows: made when the pointer first comes over the control, a
// tooltip control holds the control's text for it, and a new text replaces the old one.

#include "platform/win32/win32_platform.h"

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vtrl {
namespace {

class TipForm final : public ui::Form {
public:
    TipForm() : ui::Form(L"Tool tip form", 3000, 1200, ui::FormStyle::Dialog) {
        Add(Name);
        Add(Plain);
    }
    ui::Control Name{ui::ControlKind::Label, L"Name", {120, 120, 2400, 255}, L"Tipped label"};
    ui::Control Plain{ui::ControlKind::Label, L"Plain", {120, 480, 2400, 255}, L"Plain label"};
};

std::vector<HWND> ToolTipsOfThread() {
    std::vector<HWND> found;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM list) -> BOOL {
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (std::wstring(name) == TOOLTIPS_CLASSW) {
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// The text the tooltip window holds for the tool that is the given control; nullopt when it
// has no such tool.
std::optional<std::wstring> TipText(HWND tip, HWND control) {
    wchar_t text[512] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = text;
    if (SendMessageW(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)) == 0) {
        return std::nullopt;
    }
    tool.lpszText = text;
    SendMessageW(tip, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&tool));
    return std::wstring(text);
}

TEST(RealToolTip, HoldsTheControlsTextAndTakesANewOne) {
    // As the program's entry does.
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    win32::Win32Platform real;
    win32::Win32WindowSystem& windows = real.Windows();
    auto& form = static_cast<TipForm&>(windows.Load(std::make_unique<TipForm>()));
    form.Show();
    EXPECT_TRUE(ToolTipsOfThread().empty()) << "no tooltip window before a text is given";

    const std::wstring command = L"\"C:\\Program Files\\Tool\\tool.exe\" /tray --start=&now";
    form.Name.SetToolTip(command);
    HWND window = FindWindowW(nullptr, L"Tool tip form");
    ASSERT_NE(window, nullptr);
    HWND name = FindWindowExW(window, nullptr, L"STATIC", L"Tipped label");
    HWND plain = FindWindowExW(window, nullptr, L"STATIC", L"Plain label");
    ASSERT_NE(name, nullptr);
    ASSERT_NE(plain, nullptr);
    EXPECT_TRUE(ToolTipsOfThread().empty()) << "none before the pointer comes over the control";
    SendMessageW(plain, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_TRUE(ToolTipsOfThread().empty()) << "a control without a text has none";
    SendMessageW(name, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    const std::vector<HWND> tips = ToolTipsOfThread();
    ASSERT_EQ(tips.size(), 1u);
    EXPECT_EQ(GetWindow(tips[0], GW_OWNER), window) << "the form owns it and takes it along";
    EXPECT_EQ(TipText(tips[0], name), command) << "the whole text, & and quotes as they are";
    EXPECT_EQ(TipText(tips[0], plain), std::nullopt) << "only the control that has a text";

    form.Name.SetToolTip(L"C:\\Other\\other.exe");
    SendMessageW(name, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(ToolTipsOfThread().size(), 1u) << "one tooltip window per control";
    EXPECT_EQ(TipText(tips[0], name), L"C:\\Other\\other.exe");

    form.Unload();
    windows.RunMessageLoop();
    EXPECT_TRUE(ToolTipsOfThread().empty()) << "gone with its control";
}

} // namespace
} // namespace vtrl
