#pragma once
// The one window procedure of every window class of ours: the object pointer arrives with
// WM_NCCREATE, is kept in the window's user data, and each message goes to the object's
// noexcept HandleMessage. Nothing thrown by a handler may cross into the system's code.

#include "platform/win32/unique_handle.h"

#include <windows.h>

namespace vtrl::win32 {

template <typename Derived> class BaseWindow {
public:
    HWND Handle() const { return window_; }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept {
        Derived* self = nullptr;
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            self = static_cast<Derived*>(create->lpCreateParams);
            if (self != nullptr) {
                static_cast<BaseWindow*>(self)->window_ = window;
                SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
            }
        } else {
            self = reinterpret_cast<Derived*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        }
        if (self == nullptr) {
            return DefWindowProcW(window, message, wParam, lParam);
        }
        const LRESULT result = self->HandleMessage(message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            static_cast<BaseWindow*>(self)->window_ = nullptr;
            // Gone by the system's doing: nothing is left to destroy.
            static_cast<BaseWindow*>(self)->owned_.release();
        }
        return result;
    }

protected:
    ~BaseWindow() = default;
    // The window made for this object (of our class or a standard one) is the object's to destroy.
    void Own(HWND window) noexcept {
        window_ = window;
        owned_.reset(window);
    }
    // Destroys the window now, while the derived object can still handle WM_DESTROY; window_
    // stays valid until then.
    void DestroyOwned() noexcept { owned_.reset(); }

    HWND window_ = nullptr;

private:
    unique_window owned_;
};

} // namespace vtrl::win32
