#pragma once
// The accessible object of a drawn list: role list, one list item (a simple element, child id
// 1, 2, ...) per row named by the row's text, the selected row selected, and focused while the
// window has the focus. The list's own name, state, place, parent and hit test come from the
// system's standard object of the window's client area, which copes with a window that is gone.

#include "platform/ui/control.h"

#include <windows.h>

#include <oleacc.h>
#include <wrl/client.h>

#include <atomic>
#include <cstddef>
#include <memory>
#include <utility>

namespace vtrl::win32 {

// A row's child id: rows count from 1, CHILDID_SELF (0) is the list itself.
inline LONG ChildIdOfRow(std::size_t row) {
    return static_cast<LONG>(row + 1);
}

class ListAccessibleObject final : public IAccessible {
public:
    // Made with one reference, the caller's. The rows are a copy of the control's, never the
    // control itself.
    ListAccessibleObject(HWND window, Microsoft::WRL::ComPtr<IAccessible> standard,
                         std::shared_ptr<const ui::AccessibleList> list)
        : window_(window), standard_(std::move(standard)), list_(std::move(list)) {}
    ListAccessibleObject(const ListAccessibleObject&) = delete;
    ListAccessibleObject& operator=(const ListAccessibleObject&) = delete;

    void Update(std::shared_ptr<const ui::AccessibleList> list) { list_ = std::move(list); }
    // From now on every question is answered CO_E_OBJNOTCONNECTED.
    void Disconnect() {
        list_.reset();
        standard_.Reset();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch: readers call IAccessible directly; there is no type library to offer.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) {
            return E_POINTER;
        }
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT id, IDispatch** child) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT id, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT id, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT id, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT id, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT id, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT id, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT id, LONG* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT id, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT id, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT id) override;
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT id) override;
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* hit) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT id) override;
    // Names and values are the program's to give: clients may no longer set them.
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~ListAccessibleObject() = default;

    // The child a VARIANT names: CHILDID_SELF or a row's id; E_INVALIDARG for any other.
    HRESULT Resolve(const VARIANT& id, LONG& which) const;
    bool IsSelected(LONG child) const;
    // A text only the list itself has (from the standard object); rows have none.
    HRESULT SelfOnly(const VARIANT& id, BSTR* text,
                     HRESULT (STDMETHODCALLTYPE IAccessible::*read)(VARIANT, BSTR*));

    std::atomic<ULONG> references_{1};
    // Only compared with the focus and handed to the standard object.
    HWND window_;
    Microsoft::WRL::ComPtr<IAccessible> standard_;
    // Null once disconnected.
    std::shared_ptr<const ui::AccessibleList> list_;
};

} // namespace vtrl::win32
