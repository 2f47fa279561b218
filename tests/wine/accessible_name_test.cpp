// What a screen reader reads for controls the program draws itself: the standard accessible
// object of a picture or a drawn list names it with the control's caption, which the control
// never paints, and follows a change of it.

#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_window_basics.h"

#include <windows.h>

#include <oleacc.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

namespace vtrl {
namespace {

class DrawnList final : public ui::Form {
public:
    DrawnList() : ui::Form(L"Accessible", 3000, 1800, ui::FormStyle::Dialog) {
        List.SetTabStop(true);
        Add(List);
        Add(Icon);
    }
    ui::Control List{ui::ControlKind::Picture, L"List", {120, 120, 2400, 600}, L"Programs"};
    ui::Control Icon{ui::ControlKind::Picture, L"Icon", {120, 840, 480, 480}, L"NOTEPAD.EXE"};
};

// The accessible name of the window's client area; nullopt when there is no object or no name.
// oleacc is loaded as a screen reader's helper loads it (its import library clashes with uuid's).
std::optional<std::wstring> AccessibleName(HWND window) {
    using FromWindow = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
    static HMODULE oleacc = LoadLibraryW(L"oleacc.dll");
    const auto fromWindow = reinterpret_cast<FromWindow>(
        reinterpret_cast<void*>(GetProcAddress(oleacc, "AccessibleObjectFromWindow")));
    IAccessible* accessible = nullptr;
    if (fromWindow == nullptr ||
        FAILED(fromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                          reinterpret_cast<void**>(&accessible))) ||
        accessible == nullptr) {
        return std::nullopt;
    }
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    const HRESULT got = accessible->get_accName(self, &name);
    accessible->Release();
    if (got != S_OK || name == nullptr) {
        return std::nullopt;
    }
    std::wstring text(name, SysStringLen(name));
    SysFreeString(name);
    return text;
}

struct ChildSearch {
    std::wstring caption;
    HWND found = nullptr;
};

HWND ChildNamed(HWND parent, const std::wstring& caption) {
    ChildSearch search{caption};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM wanted) -> BOOL {
            auto& search = *reinterpret_cast<ChildSearch*>(wanted);
            if (win32::WindowText(child) != search.caption) {
                return TRUE;
            }
            search.found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST(RealAccessibleNames, DrawnControlsAreNamedByTheirCaption) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    win32::Win32Platform real;
    win32::Win32WindowSystem& windows = real.Windows();
    auto& form = static_cast<DrawnList&>(windows.Load(std::make_unique<DrawnList>()));
    form.Show();
    form.List.SetFocus();
    HWND list = GetFocus();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(AccessibleName(list), L"Programs");
    form.List.SetCaption(L"Programs: NOTEPAD.EXE, Approved");
    EXPECT_EQ(AccessibleName(list), L"Programs: NOTEPAD.EXE, Approved");

    HWND icon = ChildNamed(GetParent(list), L"NOTEPAD.EXE");
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(AccessibleName(icon), L"NOTEPAD.EXE");

    form.Unload();
    windows.RunMessageLoop();
    CoUninitialize();
}

} // namespace
} // namespace vtrl
