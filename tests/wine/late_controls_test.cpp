// The windows of a hidden page on real windows: a form that asks for it makes them only when the
// page is first shown, in the order the controls were added (the order Tab follows), with what
// was set meanwhile; other forms make every window at once. Controls with one font share it.

#include "child_with_text.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_window_basics.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vtrl {
namespace {

class Pages final : public ui::Form {
public:
    explicit Pages(bool late) : ui::Form(L"Pages", 6000, 4000, ui::FormStyle::Dialog) {
        SetLateHiddenContent(late);
        Add(Shown);
        Add(Hidden);
        Hidden.SetVisible(false);
        for (ui::Control* control : {&First, &Inner, &Second}) {
            control->SetParent(&Hidden);
            Add(*control);
        }
        Deep.SetParent(&Inner);
        Add(Deep);
        Label.SetParent(&Shown);
        Add(Label);
        Plain.SetParent(&Shown);
        Add(Plain);
        Bold.SetParent(&Shown);
        ui::Font bold = Bold.GetFont();
        bold.bold = true;
        Bold.SetFont(bold);
        Add(Bold);
    }
    ui::Control Shown{ui::ControlKind::Frame, L"Shown", {0, 0, 6000, 1500}, L"shown page"};
    ui::Control Hidden{ui::ControlKind::Frame, L"Hidden", {0, 1500, 6000, 2400}, L"hidden page"};
    ui::Control First{ui::ControlKind::Button, L"First", {120, 120, 1200, 375}, L"first"};
    ui::Control Inner{ui::ControlKind::Frame, L"Inner", {120, 600, 3000, 1200}, L"inner"};
    ui::Control Second{ui::ControlKind::Button, L"Second", {3240, 120, 1200, 375}, L"second"};
    ui::Control Deep{ui::ControlKind::Label, L"Deep", {120, 120, 1200, 255}, L"deep"};
    ui::Control Label{ui::ControlKind::Label, L"Label", {120, 120, 1200, 255}, L"label"};
    ui::Control Plain{ui::ControlKind::Label, L"Plain", {1440, 120, 1200, 255}, L"plain"};
    ui::Control Bold{ui::ControlKind::Label, L"Bold", {120, 480, 1200, 255}, L"bold"};
};

std::vector<std::wstring> ChildTexts(HWND parent) {
    std::vector<std::wstring> texts;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        texts.push_back(win32::WindowText(child));
    }
    return texts;
}

class RealLateHiddenContent : public ::testing::Test {
protected:
    Pages& Open(bool late) {
        auto& form = static_cast<Pages&>(windows.Load(std::make_unique<Pages>(late)));
        form.Show();
        window = FindWindowW(nullptr, L"Pages");
        return form;
    }
    void TearDown() override {
        for (HWND open = FindWindowW(nullptr, L"Pages"); open != nullptr;
             open = FindWindowW(nullptr, L"Pages")) {
            DestroyWindow(open);
        }
        windows.RunMessageLoop();
    }

    win32::Win32Platform real;
    win32::Win32WindowSystem& windows = real.Windows();
    HWND window = nullptr;
};

TEST_F(RealLateHiddenContent, AHiddenPageIsMadeWhenFirstShown) {
    Pages& form = Open(true);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(testing_support::ChildWithText(window, L"label"), nullptr)
        << "the shown page is made with the form";
    HWND hidden = testing_support::ChildWithText(window, L"hidden page");
    ASSERT_NE(hidden, nullptr) << "the page itself is made";
    EXPECT_EQ(GetWindow(hidden, GW_CHILD), nullptr) << "nothing inside it yet";
    EXPECT_EQ(testing_support::ChildWithText(window, L"deep"), nullptr);

    form.First.SetCaption(L"first, renamed");
    form.Second.SetEnabled(false);
    form.Hidden.SetVisible(true);
    EXPECT_EQ(ChildTexts(hidden),
              (std::vector<std::wstring>{L"first, renamed", L"inner", L"second"}));
    HWND deep = testing_support::ChildWithText(window, L"deep");
    ASSERT_NE(deep, nullptr) << "a shown container inside the page is filled too";
    EXPECT_EQ(GetParent(deep), testing_support::ChildWithText(window, L"inner"));
    EXPECT_TRUE(IsWindowVisible(deep));
    EXPECT_FALSE(IsWindowEnabled(testing_support::ChildWithText(window, L"second")));

    form.Hidden.SetVisible(false);
    form.Hidden.SetVisible(true);
    EXPECT_EQ(ChildTexts(hidden).size(), 3u) << "shown again, nothing is made twice";
}

TEST_F(RealLateHiddenContent, OtherFormsMakeEveryWindowAtOnce) {
    Open(false);
    ASSERT_NE(window, nullptr);
    HWND hidden = testing_support::ChildWithText(window, L"hidden page");
    ASSERT_NE(hidden, nullptr);
    EXPECT_EQ(ChildTexts(hidden), (std::vector<std::wstring>{L"first", L"inner", L"second"}));
    EXPECT_FALSE(IsWindowVisible(testing_support::ChildWithText(window, L"deep")));
}

TEST_F(RealLateHiddenContent, ControlsWithOneFontShareIt) {
    Open(true);
    ASSERT_NE(window, nullptr);
    const auto font = [](HWND control) { return SendMessageW(control, WM_GETFONT, 0, 0); };
    HWND label = testing_support::ChildWithText(window, L"label");
    HWND bold = testing_support::ChildWithText(window, L"bold");
    HWND plain = testing_support::ChildWithText(window, L"plain");
    ASSERT_NE(label, nullptr);
    ASSERT_NE(plain, nullptr);
    ASSERT_NE(bold, nullptr);
    EXPECT_NE(font(label), 0);
    EXPECT_EQ(font(label), font(plain));
    EXPECT_NE(font(label), font(bold));
    LOGFONTW boldFont{};
    ASSERT_NE(GetObjectW(reinterpret_cast<HFONT>(font(bold)), sizeof(boldFont), &boldFont), 0);
    EXPECT_EQ(boldFont.lfWeight, FW_BOLD);
}

} // namespace
} // namespace vtrl
