#include "platform/win32/win32_list_accessible_object.h"

#include <string>

namespace vtrl::win32 {
namespace {

void SetChild(VARIANT* out, LONG child) {
    out->vt = VT_I4;
    out->lVal = child;
}

} // namespace

HRESULT STDMETHODCALLTYPE ListAccessibleObject::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE ListAccessibleObject::Release() {
    const ULONG left = --references_;
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT STDMETHODCALLTYPE ListAccessibleObject::get_accParent(IDispatch** parent) {
    return list_ ? standard_->get_accParent(parent) : CO_E_OBJNOTCONNECTED;
}

HRESULT STDMETHODCALLTYPE ListAccessibleObject::get_accChildCount(LONG* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    if (!list_) {
        return CO_E_OBJNOTCONNECTED;
    }
    *count = static_cast<LONG>(list_->rows.size());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ListAccessibleObject::get_accChild(VARIANT id, IDispatch** child) {
    if (child == nullptr) {
        return E_POINTER;
    }
    *child = nullptr;
    LONG which = 0;
    const HRESULT valid = Resolve(id, which);
    if (FAILED(valid)) {
        return valid;
    }
    // Rows are simple elements of this object, with no object of their own.
    return which == CHILDID_SELF ? E_INVALIDARG : S_FALSE;
}

HRESULT STDMETHODCALLTYPE ListAccessibleObject::get_accName(VARIANT id, BSTR* name) {
    if (name == nullptr) {
        return E_POINTER;
    }
    *name = nullptr;
    LONG which = 0;
    const HRESULT valid = Resolve(id, which);
    if (FAILED(valid)) {
        return valid;
    }
    if (which == CHILDID_SELF) {
        // The control's caption, as the standard object reads it from the window.
        return standard_->get_accName(id, name);
    }
    const std::wstring& row = list_->rows[static_cast<std::size_t>(which - 1)];
    *name = SysAllocStringLen(row.data(), static_cast<UINT>(row.size()));
    return *name != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE ListAccessibleObject::get_accValue(VARIANT id, BSTR* value) {
    return SelfOnly(id, value, &IAccessible::get_accValue);
}

HRESULT STDMETHODCALLTYPE ListAccessibleObject::get_accDescription(VARIANT id, BSTR* description) {
    return SelfOnly(id, description, &IAccessible::get_accDescription);
}

HRESULT STDMETHODCALLTYPE ListAccessibleObject::get_accRole(VARIANT id, VARIANT* role) {
    if (role == nullptr) {
        return E_POINTER;
    }
    VariantInit(role);
    LONG which = 0;
    const HRESULT valid = Resolve(id, which);
    if (FAILED(valid)) {
        return valid;
    }
    SetChild(role, which == CHILDID_SELF ? ROLE_SYSTEM_LIST : ROLE_SYSTEM_LISTITEM);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ListAccessibleObject::get_accState(VARIANT id, VARIANT* state) {
    if (state == nullptr) {
        return E_POINTER;
    }
    VariantInit(state);
    LONG which = 0;
    const HRESULT valid = Resolve(id, which);
    if (FAILED(valid)) {
        return valid;
    }
    if (which == CHILDID_SELF) {
        return standard_->get_accState(id, state);
    }
    LONG flags = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
    if (IsSelected(which)) {
        flags |= STATE_SYSTEM_SELECTED;
        if (GetFocus() == window_) {
            flags |= STATE_SYSTEM_FOCUSED;
        }
    }
    SetChild(state, flags);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ListAccessibleObject::get_accHelp(VARIANT id, BSTR* help) {
    return SelfOnly(id, help, &IAccessible::get_accHelp);
}

HRESULT STDMETHODCALLTYPE ListAccessibleObject::get_accHelpTopic(BSTR* file, VARIANT id,
                                                                 LONG* topic) {
    if (file == nullptr || topic == nullptr) {
        return E_POINTER;
    }
    *file = nullptr;
    *topic = 0;
    LONG which = 0;
    const HRESULT valid = Resolve(id, which);
    if (FAILED(valid)) {
        return valid;
    }
    return which == CHILDID_SELF ? standard_->get_accHelpTopic(file, id, topic)
                                 : DISP_E_MEMBERNOTFOUND;
}

HRESULT STDMETHODCALLTYPE ListAccessibleObject::get_accKeyboardShortcut(VARIANT id,
                                                                        BSTR* shortcut) {
    return SelfOnly(id, shortcut, &IAccessible::get_accKeyboardShortcut);
}

HRESULT STDMETHODCALLTYPE ListAccessibleObject::get_accFocus(VARIANT* focus) {
    if (focus == nullptr) {
        return E_POINTER;
    }
    VariantInit(focus);
    if (!list_) {
        return CO_E_OBJNOTCONNECTED;
    }
    if (GetFocus() != window_) {
        return S_FALSE;
    }
    // The focus is on the selected row; on the list itself while none is selected.
    SetChild(focus, list_->selected ? ChildIdOfRow(*list_->selected) : CHILDID_SELF);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ListAccessibleObject::get_accSelection(VARIANT* selection) {
    if (selection == nullptr) {
        return E_POINTER;
    }
    VariantInit(selection);
    if (!list_) {
        return CO_E_OBJNOTCONNECTED;
    }
    if (!list_->selected) {
        return S_FALSE;
    }
    SetChild(selection, ChildIdOfRow(*list_->selected));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ListAccessibleObject::get_accDefaultAction(VARIANT id, BSTR* action) {
    return SelfOnly(id, action, &IAccessible::get_accDefaultAction);
}

HRESULT STDMETHODCALLTYPE ListAccessibleObject::accSelect(LONG flags, VARIANT id) {
    LONG which = 0;
    const HRESULT valid = Resolve(id, which);
    if (FAILED(valid)) {
        return valid;
    }
    // Rows are chosen with the keyboard or the mouse; the list itself may take the focus.
    return which == CHILDID_SELF ? standard_->accSelect(flags, id) : DISP_E_MEMBERNOTFOUND;
}

HRESULT STDMETHODCALLTYPE ListAccessibleObject::accLocation(LONG* left, LONG* top, LONG* width,
                                                            LONG* height, VARIANT id) {
    if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) {
        return E_POINTER;
    }
    *left = *top = *width = *height = 0;
    LONG which = 0;
    const HRESULT valid = Resolve(id, which);
    if (FAILED(valid)) {
        return valid;
    }
    // Only the rows in view are drawn; the list does not say where each one lies.
    return which == CHILDID_SELF ? standard_->accLocation(left, top, width, height, id)
                                 : DISP_E_MEMBERNOTFOUND;
}

HRESULT STDMETHODCALLTYPE ListAccessibleObject::accNavigate(LONG direction, VARIANT start,
                                                            VARIANT* end) {
    if (end == nullptr) {
        return E_POINTER;
    }
    VariantInit(end);
    LONG which = 0;
    const HRESULT valid = Resolve(start, which);
    if (FAILED(valid)) {
        return valid;
    }
    const auto count = static_cast<LONG>(list_->rows.size());
    LONG to = 0;
    if (which == CHILDID_SELF) {
        if (direction == NAVDIR_FIRSTCHILD) {
            to = count > 0 ? 1 : 0;
        } else if (direction == NAVDIR_LASTCHILD) {
            to = count;
        } else {
            // Siblings of the list itself are the window's business.
            return standard_->accNavigate(direction, start, end);
        }
    } else if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
        return E_INVALIDARG;
    } else if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN) {
        to = which < count ? which + 1 : 0;
    } else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP) {
        to = which - 1;
    }
    if (to == 0) {
        return S_FALSE;
    }
    SetChild(end, to);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ListAccessibleObject::accHitTest(LONG x, LONG y, VARIANT* hit) {
    if (hit == nullptr) {
        return E_POINTER;
    }
    VariantInit(hit);
    return list_ ? standard_->accHitTest(x, y, hit) : CO_E_OBJNOTCONNECTED;
}

HRESULT STDMETHODCALLTYPE ListAccessibleObject::accDoDefaultAction(VARIANT id) {
    LONG which = 0;
    const HRESULT valid = Resolve(id, which);
    if (FAILED(valid)) {
        return valid;
    }
    return which == CHILDID_SELF ? standard_->accDoDefaultAction(id) : DISP_E_MEMBERNOTFOUND;
}

HRESULT ListAccessibleObject::Resolve(const VARIANT& id, LONG& which) const {
    if (!list_) {
        return CO_E_OBJNOTCONNECTED;
    }
    if (id.vt != VT_I4 || id.lVal < CHILDID_SELF ||
        id.lVal > static_cast<LONG>(list_->rows.size())) {
        return E_INVALIDARG;
    }
    which = id.lVal;
    return S_OK;
}

bool ListAccessibleObject::IsSelected(LONG child) const {
    return list_->selected && ChildIdOfRow(*list_->selected) == child;
}

HRESULT ListAccessibleObject::SelfOnly(const VARIANT& id, BSTR* text,
                                       HRESULT (STDMETHODCALLTYPE IAccessible::*read)(VARIANT,
                                                                                      BSTR*)) {
    if (text == nullptr) {
        return E_POINTER;
    }
    *text = nullptr;
    LONG which = 0;
    const HRESULT valid = Resolve(id, which);
    if (FAILED(valid)) {
        return valid;
    }
    return which == CHILDID_SELF ? (standard_.Get()->*read)(id, text) : DISP_E_MEMBERNOTFOUND;
}

std::atomic<ULONG> references_{1};
// Only compared with the focus and handed to the standard object: both cope with a window

} // namespace vtrl::win32
