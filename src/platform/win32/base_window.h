#pragma once
// The one window procedure of every window class of ours: the object pointer arrives with
// WM_NCCREATE, is kept in the window's user data, and each message goes to the object's
// noexcept HandleMessage. Nothing thrown by a handler may cross into the system's code.

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
        }
        return result;
    }

protected:
    HWND window_ = nullptr;
};

} // namespace vtrl::win32
