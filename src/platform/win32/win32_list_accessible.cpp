#include "platform/win32/win32_list_accessible.h"

#include "platform/win32/win32_list_accessible_object.h"

#include <oleacc.h>

#include <new>
#include <string>
#include <utility>

namespace vtrl::win32 {
namespace {

// oleacc is loaded when a reader first asks, as readers' helpers load it: the program starts
// without it, and its import library clashes with uuid's over IID_IAccessible.
struct OleAcc {
    decltype(&CreateStdAccessibleObject) createStandard = nullptr;
    decltype(&LresultFromObject) resultFromObject = nullptr;
};

const OleAcc& OleAccFunctions() {
    static const OleAcc functions = [] {
        OleAcc loaded;
        // From the system folder only; kept for the process's life, as objects handed out may
        // be used until it ends.
        wchar_t folder[MAX_PATH] = {};
        const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) {
            return loaded;
        }
        const std::wstring path = std::wstring(folder, length) + L"\\oleacc.dll";
        HMODULE module = LoadLibraryW(path.c_str());
        if (module == nullptr) {
            return loaded;
        }
        loaded.createStandard = reinterpret_cast<decltype(&CreateStdAccessibleObject)>(
            reinterpret_cast<void*>(GetProcAddress(module, "CreateStdAccessibleObject")));
        loaded.resultFromObject = reinterpret_cast<decltype(&LresultFromObject)>(
            reinterpret_cast<void*>(GetProcAddress(module, "LresultFromObject")));
        return loaded;
    }();
    return functions;
}

} // namespace

ListAccessibility::ListAccessibility() = default;

ListAccessibility::~ListAccessibility() {
    Disconnect();
}

void ListAccessibility::Show(HWND window, const ui::AccessibleList& list) {
    const std::shared_ptr<const ui::AccessibleList> before = std::move(list_);
    list_ = std::make_shared<const ui::AccessibleList>(list);
    // The object answers with the new rows before any reader hears of them.
    if (object_) {
        object_->Update(list_);
    }
    if (before && before->rows != list.rows) {
        NotifyWinEvent(EVENT_OBJECT_REORDER, window, OBJID_CLIENT, CHILDID_SELF);
    }
    // The selected row's text is part of what a reader says of the selection.
    const bool sameSelection =
        before ? before->selected == list.selected &&
                     (!list.selected || before->rows[*list.selected] == list.rows[*list.selected])
               : !list.selected;
    if (sameSelection) {
        return;
    }
    const bool focused = GetFocus() == window;
    if (!list.selected) {
        NotifyWinEvent(EVENT_OBJECT_SELECTIONWITHIN, window, OBJID_CLIENT, CHILDID_SELF);
        if (focused) {
            NotifyWinEvent(EVENT_OBJECT_FOCUS, window, OBJID_CLIENT, CHILDID_SELF);
        }
        return;
    }
    const LONG child = ChildIdOfRow(*list.selected);
    NotifyWinEvent(EVENT_OBJECT_SELECTION, window, OBJID_CLIENT, child);
    if (focused) {
        NotifyWinEvent(EVENT_OBJECT_FOCUS, window, OBJID_CLIENT, child);
    }
}

void ListAccessibility::FocusCame(HWND window) {
    if (list_ && list_->selected) {
        NotifyWinEvent(EVENT_OBJECT_FOCUS, window, OBJID_CLIENT, ChildIdOfRow(*list_->selected));
    }
}

std::optional<LRESULT> ListAccessibility::Answer(HWND window, WPARAM flags, LPARAM objectId) {
    // The id is a DWORD in the LPARAM, sign-extended or not.
    if (!list_ || static_cast<LONG>(static_cast<DWORD>(objectId)) != OBJID_CLIENT) {
        return std::nullopt;
    }
    const OleAcc& oleacc = OleAccFunctions();
    if (oleacc.createStandard == nullptr || oleacc.resultFromObject == nullptr) {
        return std::nullopt;
    }
    if (!object_) {
        Microsoft::WRL::ComPtr<IAccessible> standard;
        if (FAILED(oleacc.createStandard(window, OBJID_CLIENT, __uuidof(IAccessible),
                                         reinterpret_cast<void**>(standard.GetAddressOf()))) ||
            !standard) {
            return std::nullopt;
        }
        auto* made = new (std::nothrow) ListAccessibleObject(window, std::move(standard), list_);
        if (made == nullptr) {
            return std::nullopt;
        }
        object_.Attach(made);
    }
    return oleacc.resultFromObject(__uuidof(IAccessible), flags,
                                   static_cast<IAccessible*>(object_.Get()));
}

void ListAccessibility::Disconnect() {
    list_.reset();
    if (!object_) {
        return;
    }
    object_->Disconnect();
    // Readers in other processes lose their link now, not when they let go of it.
    CoDisconnectObject(static_cast<IAccessible*>(object_.Get()), 0);
    object_.Reset();
}

} // namespace vtrl::win32
