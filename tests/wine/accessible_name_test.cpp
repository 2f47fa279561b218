// What a screen reader reads for controls the program draws itself: the standard accessible
// object of a picture or a drawn list names it with the control's caption, which the control
// never paints, and follows a change of it; a drawn list is a list of its rows, with the
// selected row selected and focused, followed when they change and cut off when it goes.

#include "child_with_text.h"
#include "platform/win32/win32_platform.h"

#include <windows.h>

#include <oleacc.h>
#include <wrl/client.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace vtrl {
namespace {

class DrawnList final : public ui::Form {
public:
    DrawnList() : ui::Form(L"Accessible", 3000, 1800, ui::FormStyle::Dialog) {
        List.SetTabStop(true);
        Add(List);
        Add(Icon);
        Add(Other);
    }
    ui::Control List{ui::ControlKind::Picture, L"List", {120, 120, 2400, 600}, L"Programs"};
    ui::Control Icon{ui::ControlKind::Picture, L"Icon", {120, 840, 480, 480}, L"NOTEPAD.EXE"};
    ui::Control Other{ui::ControlKind::Button, L"Other", {840, 840, 1200, 360}, L"Other"};
};

using Microsoft::WRL::ComPtr;

// The accessible object of the window's client area, as a reader asks for it; null when none.
// oleacc is loaded as a screen reader's helper loads it (its import library clashes with uuid's).
ComPtr<IAccessible> ClientObject(HWND window) {
    using FromWindow = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
    static HMODULE oleacc = LoadLibraryW(L"oleacc.dll");
    const auto fromWindow = reinterpret_cast<FromWindow>(
        reinterpret_cast<void*>(GetProcAddress(oleacc, "AccessibleObjectFromWindow")));
    ComPtr<IAccessible> accessible;
    if (fromWindow == nullptr ||
        FAILED(fromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                          reinterpret_cast<void**>(accessible.GetAddressOf())))) {
        return nullptr;
    }
    return accessible;
}

VARIANT Child(LONG child) {
    VARIANT id;
    VariantInit(&id);
    id.vt = VT_I4;
    id.lVal = child;
    return id;
}

// The name of the object or one of its children; nullopt when it has none.
std::optional<std::wstring> NameOf(IAccessible* accessible, LONG child = CHILDID_SELF) {
    BSTR name = nullptr;
    if (accessible == nullptr || accessible->get_accName(Child(child), &name) != S_OK ||
        name == nullptr) {
        return std::nullopt;
    }
    std::wstring text(name, SysStringLen(name));
    SysFreeString(name);
    return text;
}

std::optional<std::wstring> AccessibleName(HWND window) {
    return NameOf(ClientObject(window).Get());
}

// A role or state (VT_I4 answers only); -1 when there is none.
LONG RoleOf(IAccessible* accessible, LONG child = CHILDID_SELF) {
    VARIANT role;
    VariantInit(&role);
    const HRESULT got = accessible->get_accRole(Child(child), &role);
    return got == S_OK && role.vt == VT_I4 ? role.lVal : -1;
}

LONG StateOf(IAccessible* accessible, LONG child) {
    VARIANT state;
    VariantInit(&state);
    const HRESULT got = accessible->get_accState(Child(child), &state);
    return got == S_OK && state.vt == VT_I4 ? state.lVal : -1;
}

std::vector<std::wstring> ChildNames(IAccessible* accessible) {
    LONG count = -1;
    std::vector<std::wstring> names;
    if (accessible->get_accChildCount(&count) != S_OK) {
        return {L"<no count>"};
    }
    for (LONG child = 1; child <= count; ++child) {
        names.push_back(NameOf(accessible, child).value_or(L"<no name>"));
    }
    return names;
}

// The child id get_accSelection or get_accFocus answers; nullopt for an empty answer.
std::optional<LONG> ChildAnswer(IAccessible* accessible,
                                HRESULT (STDMETHODCALLTYPE IAccessible::*ask)(VARIANT*)) {
    VARIANT answer;
    VariantInit(&answer);
    const HRESULT got = (accessible->*ask)(&answer);
    if (FAILED(got) || answer.vt != VT_I4) {
        VariantClear(&answer);
        return std::nullopt;
    }
    return answer.lVal;
}

// What a reader hears of one window, through an out-of-context hook: the events arrive with
// the thread's messages.
struct HeardEvent {
    DWORD event;
    LONG object;
    LONG child;
    friend bool operator==(const HeardEvent&, const HeardEvent&) = default;
    friend std::ostream& operator<<(std::ostream& out, const HeardEvent& heard) {
        return out << std::hex << heard.event << std::dec << "/" << heard.object << "/"
                   << heard.child;
    }
};

class EventEar {
public:
    explicit EventEar(HWND window) : hook_(Listen(window)) {}
    ~EventEar() {
        if (hook_ != nullptr) {
            UnhookWinEvent(hook_);
        }
        Listened() = {};
    }
    EventEar(const EventEar&) = delete;
    EventEar& operator=(const EventEar&) = delete;
    bool Listening() const { return hook_ != nullptr; }

    // What was heard since the last call, after the waiting messages were handled.
    std::vector<HeardEvent> Heard() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        return std::exchange(Listened().heard, {});
    }

private:
    struct Listener {
        HWND window = nullptr;
        std::vector<HeardEvent> heard;
    };
    static Listener& Listened() {
        static Listener listener;
        return listener;
    }
    static HWINEVENTHOOK Listen(HWND window) {
        Listened() = {window, {}};
        return SetWinEventHook(EVENT_OBJECT_REORDER, EVENT_OBJECT_SELECTIONWITHIN, nullptr,
                               &EventEar::Hear, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    }
    static void CALLBACK Hear(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child,
                              DWORD, DWORD) {
        if (window == Listened().window) {
            Listened().heard.push_back({event, object, child});
        }
    }
    HWINEVENTHOOK hook_;
};

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

    HWND icon = testing_support::ChildWithText(GetParent(list), L"NOTEPAD.EXE");
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(AccessibleName(icon), L"NOTEPAD.EXE");

    form.Unload();
    windows.RunMessageLoop();
    CoUninitialize();
}

TEST(RealAccessibleNames, ADrawnListIsAListOfItsRowsThatFollowsTheSelection) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    win32::Win32Platform real;
    win32::Win32WindowSystem& windows = real.Windows();
    auto& form = static_cast<DrawnList&>(windows.Load(std::make_unique<DrawnList>()));
    form.List.SetAccessibleList(
        {L"ALPHA.EXE, Approved", L"BETA.EXE, Restricted, Running", L"GAMMA.EXE, No decision yet"},
        1);
    form.Show();
    form.List.SetFocus();
    HWND list = GetFocus();
    ASSERT_NE(list, nullptr);
    ComPtr<IAccessible> object = ClientObject(list);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(RoleOf(object.Get()), ROLE_SYSTEM_LIST);
    EXPECT_EQ(NameOf(object.Get()), L"Programs") << "the caption names the list as before";
    EXPECT_THAT(ChildNames(object.Get()),
                ::testing::ElementsAre(L"ALPHA.EXE, Approved", L"BETA.EXE, Restricted, Running",
                                       L"GAMMA.EXE, No decision yet"));
    for (LONG child = 1; child <= 3; ++child) {
        EXPECT_EQ(RoleOf(object.Get(), child), ROLE_SYSTEM_LISTITEM) << child;
    }
    const LONG selectable = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
    EXPECT_EQ(StateOf(object.Get(), 2), selectable | STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED);
    EXPECT_EQ(StateOf(object.Get(), 1), selectable);
    EXPECT_EQ(ChildAnswer(object.Get(), &IAccessible::get_accSelection), 2);
    EXPECT_EQ(ChildAnswer(object.Get(), &IAccessible::get_accFocus), 2);
    EXPECT_EQ(NameOf(object.Get(), 4), std::nullopt) << "no row past the last";
    // Where the list lies is the standard object's answer: the window's rectangle.
    RECT window{};
    GetWindowRect(list, &window);
    LONG left = 0, top = 0, width = 0, height = 0;
    EXPECT_EQ(object->accLocation(&left, &top, &width, &height, Child(CHILDID_SELF)), S_OK);
    const RECT located{left, top, left + width, top + height};
    EXPECT_TRUE(EqualRect(&located, &window));

    // New rows and selection: the object the reader holds answers with them, and the reader
    // hears of the selected row (focused too, as the list has the focus).
    EventEar ear(list);
    ASSERT_TRUE(ear.Listening());
    form.List.SetAccessibleList({L"GAMMA.EXE, Approved", L"ALPHA.EXE, Approved"}, 0);
    EXPECT_THAT(ear.Heard(),
                ::testing::IsSupersetOf({HeardEvent{EVENT_OBJECT_SELECTION, OBJID_CLIENT, 1},
                                         HeardEvent{EVENT_OBJECT_FOCUS, OBJID_CLIENT, 1}}));
    EXPECT_THAT(ChildNames(object.Get()),
                ::testing::ElementsAre(L"GAMMA.EXE, Approved", L"ALPHA.EXE, Approved"));
    EXPECT_EQ(ChildAnswer(object.Get(), &IAccessible::get_accSelection), 1);
    EXPECT_EQ(ChildAnswer(ClientObject(list).Get(), &IAccessible::get_accFocus), 1);
    // The same again says nothing; the selected row's new status is heard.
    form.List.SetAccessibleList({L"GAMMA.EXE, Approved", L"ALPHA.EXE, Approved"}, 0);
    EXPECT_THAT(ear.Heard(), ::testing::IsEmpty());
    form.List.SetAccessibleList({L"GAMMA.EXE, Restricted", L"ALPHA.EXE, Approved"}, 0);
    EXPECT_THAT(ear.Heard(),
                ::testing::Contains(HeardEvent{EVENT_OBJECT_SELECTION, OBJID_CLIENT, 1}));

    // Without the focus the row stays selected but is not focused, and no row has the focus.
    form.Other.SetFocus();
    ASSERT_NE(GetFocus(), list);
    EXPECT_EQ(StateOf(object.Get(), 1), selectable | STATE_SYSTEM_SELECTED);
    EXPECT_EQ(ChildAnswer(object.Get(), &IAccessible::get_accFocus), std::nullopt);
    ear.Heard();
    form.List.SetAccessibleList({L"GAMMA.EXE, Restricted", L"ALPHA.EXE, Approved"}, 1);
    EXPECT_THAT(ear.Heard(),
                ::testing::ElementsAre(HeardEvent{EVENT_OBJECT_SELECTION, OBJID_CLIENT, 2}));
    // Nothing selected.
    form.List.SetAccessibleList({L"GAMMA.EXE, Restricted"}, std::nullopt);
    EXPECT_EQ(ChildAnswer(object.Get(), &IAccessible::get_accSelection), std::nullopt);
    EXPECT_EQ(StateOf(object.Get(), 1), selectable);

    // A drawn control that is no list keeps the standard object.
    HWND icon = testing_support::ChildWithText(GetParent(list), L"NOTEPAD.EXE");
    ASSERT_NE(icon, nullptr);
    ComPtr<IAccessible> plain = ClientObject(icon);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(RoleOf(plain.Get()), ROLE_SYSTEM_CLIENT);
    EXPECT_EQ(NameOf(plain.Get()), L"NOTEPAD.EXE");

    // The window goes while the reader still holds the object: it answers with errors, and
    // reads nothing of what was freed.
    form.Unload();
    windows.RunMessageLoop();
    LONG count = 0;
    EXPECT_TRUE(FAILED(object->get_accChildCount(&count)));
    EXPECT_EQ(NameOf(object.Get(), 1), std::nullopt);
    EXPECT_EQ(ChildAnswer(object.Get(), &IAccessible::get_accSelection), std::nullopt);
    object.Reset();
    plain.Reset();
    CoUninitialize();
}

} // namespace
} // namespace vtrl
