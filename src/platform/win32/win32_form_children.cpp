// How a form answers its controls' notifications, colours and clicks, also from inside
// containers.

#include "platform/win32/win32_form_host.h"

#include <algorithm>

namespace vtrl::win32 {

HBRUSH Win32FormHost::ContainerBrush(HWND container) const {
    if (container == window_) {
        return background_ ? background_.get() : GetSysColorBrush(COLOR_BTNFACE);
    }
    Win32Control* native = Find(container);
    if (native != nullptr && native->BackgroundBrush() != nullptr) {
        return native->BackgroundBrush();
    }
    return container != nullptr && GetParent(container) != nullptr
               ? ContainerBrush(GetParent(container))
               : GetSysColorBrush(COLOR_BTNFACE);
}

void Win32FormHost::ContainerPressed(Win32Control& container) noexcept {
    Guarded([&] {
        ui::Control& model = container.Model();
        if (!model.onMouseDown && !model.onClick) {
            form_.Form_MouseDown();
            return;
        }
        if (model.onMouseDown) {
            model.onMouseDown();
        }
        if (model.onClick && model.Enabled()) {
            model.onClick();
        }
    });
}

void Win32FormHost::EnterPressed() noexcept {
    Guarded([&] {
        Win32Control* focused = Find(GetFocus());
        if (focused != nullptr) {
            ui::Control& model = focused->Model();
            if (model.onKey && model.onKey(ui::Key::Enter)) {
                return;
            }
            const bool link = model.Kind() == ui::ControlKind::Label && model.TabStop();
            if (model.Kind() == ui::ControlKind::Button || link) {
                model.Click();
                return;
            }
        }
        form_.Form_Enter();
    });
}

void Win32FormHost::Scrolled(Win32Control& bar, int request) {
    ui::Control& model = bar.Model();
    SCROLLINFO info{sizeof(info), SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(bar.Handle(), SB_CTL, &info);
    int position = model.Value();
    switch (request) {
    case SB_LINEUP:
        position -= 1;
        break;
    case SB_LINEDOWN:
        position += 1;
        break;
    case SB_PAGEUP:
        position -= 3;
        break;
    case SB_PAGEDOWN:
        position += 3;
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        position = info.nTrackPos;
        break;
    case SB_TOP:
        position = model.Minimum();
        break;
    case SB_BOTTOM:
        position = model.Maximum();
        break;
    default:
        return;
    }
    position = std::clamp(position, model.Minimum(), model.Maximum());
    if (position != model.Value()) {
        bar.ShowValue(position);
        model.UserSetValue(position);
    }
}

bool Win32FormHost::HandleChildMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                       LRESULT& result) noexcept {
    switch (message) {
    case WM_COMMAND: {
        Win32Control* native = Find(reinterpret_cast<HWND>(lParam));
        if (native == nullptr) {
            return false;
        }
        const UINT code = HIWORD(wParam);
        Guarded([&] {
            ui::Control& model = native->Model();
            switch (model.Kind()) {
            case ui::ControlKind::Button:
            case ui::ControlKind::CheckBox:
            case ui::ControlKind::OptionButton:
                if (code == BN_CLICKED) {
                    model.Click();
                }
                break;
            case ui::ControlKind::Label:
                if (code == STN_CLICKED && model.onClick) {
                    model.onClick();
                } else if (code == STN_DBLCLK && model.onDoubleClick) {
                    model.onDoubleClick();
                }
                break;
            case ui::ControlKind::TextBox:
                if (code == EN_CHANGE) {
                    std::wstring text = WindowText(native->Handle());
                    if (text != model.Caption()) {
                        model.UserSetCaption(std::move(text));
                    }
                } else if (code == EN_SETFOCUS || code == EN_KILLFOCUS) {
                    // The box keys what it is given itself; the window still needs to know
                    // where the caret is (Escape in a search box empties it).
                    model.UserSetFocus(code == EN_SETFOCUS);
                }
                break;
            case ui::ControlKind::ListBox:
                if (code == LBN_SELCHANGE) {
                    model.UserSetValue(
                        static_cast<int>(SendMessageW(native->Handle(), LB_GETCURSEL, 0, 0)));
                    if (model.onClick) {
                        model.onClick();
                    }
                } else if (code == LBN_DBLCLK && model.onDoubleClick) {
                    model.onDoubleClick();
                }
                break;
            default:
                break;
            }
        });
        result = 0;
        return true;
    }
    case WM_VSCROLL: {
        Win32Control* native = Find(reinterpret_cast<HWND>(lParam));
        if (native == nullptr) {
            return false;
        }
        Guarded([&] { Scrolled(*native, LOWORD(wParam)); });
        result = 0;
        return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
        Win32Control* native = Find(reinterpret_cast<HWND>(lParam));
        if (native == nullptr) {
            return false;
        }
        HDC dc = reinterpret_cast<HDC>(wParam);
        const ui::Control& model = native->Model();
        if (model.Foreground() != ui::kDefaultColour) {
            SetTextColor(dc, ToColorRef(model.Foreground()));
        }
        HBRUSH brush = native->BackgroundBrush();
        if (brush != nullptr) {
            SetBkColor(dc, ToColorRef(model.Background()));
            result = reinterpret_cast<LRESULT>(brush);
            return true;
        }
        if (message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX) {
            return false;
        }
        // Labels, boxes and options show the colour of what they lie on.
        SetBkMode(dc, TRANSPARENT);
        result = reinterpret_cast<LRESULT>(ContainerBrush(GetParent(native->Handle())));
        return true;
    }
    case WM_SETCURSOR: {
        Win32Control* native = Find(reinterpret_cast<HWND>(wParam));
        if (native != nullptr && native->Model().HandCursor()) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            result = TRUE;
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

} // namespace vtrl::win32
