#include "platform/win32/win32_control_host.h"

#include "platform/win32/win32_bitmap_drawing.h"
#include "platform/win32/win32_form_host.h"

#include <cmath>

namespace vtrl::win32 {

bool Win32Control::Create(HWND parent, int dpi) {
    dpi_ = dpi;
    const wchar_t* windowClass = L"STATIC";
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD extended = 0;
    switch (control_.Kind()) {
    case ui::ControlKind::Label:
        style |= SS_NOTIFY | SS_LEFT;
        break;
    case ui::ControlKind::Button:
        windowClass = L"BUTTON";
        style |= BS_PUSHBUTTON | WS_TABSTOP;
        break;
    case ui::ControlKind::CheckBox:
        windowClass = L"BUTTON";
        style |= BS_CHECKBOX | BS_MULTILINE | WS_TABSTOP;
        break;
    case ui::ControlKind::OptionButton:
        windowClass = L"BUTTON";
        style |= BS_RADIOBUTTON | BS_MULTILINE | WS_TABSTOP;
        break;
    case ui::ControlKind::TextBox:
        windowClass = L"EDIT";
        style |= ES_AUTOHSCROLL | WS_TABSTOP;
        extended = WS_EX_CLIENTEDGE;
        break;
    case ui::ControlKind::ListBox:
        windowClass = L"LISTBOX";
        style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP;
        extended = WS_EX_CLIENTEDGE;
        break;
    case ui::ControlKind::Picture:
    case ui::ControlKind::Frame:
        windowClass = kPanelClass;
        style |= WS_CLIPCHILDREN;
        extended = WS_EX_CONTROLPARENT;
        break;
    case ui::ControlKind::VScrollBar:
        windowClass = L"SCROLLBAR";
        style |= SBS_VERT;
        break;
    }
    const ui::TwipsRect& rect = control_.Rect();
    void* createParameter = IsContainer() ? this : nullptr;
    HWND window =
        CreateWindowExW(extended, windowClass, control_.Caption().c_str(), style,
                        ui::TwipsToPixels(rect.left, dpi_), ui::TwipsToPixels(rect.top, dpi_),
                        ui::TwipsToPixels(rect.width, dpi_), ui::TwipsToPixels(rect.height, dpi_),
                        parent, nullptr, GetModuleHandleW(nullptr), createParameter);
    if (window == nullptr) {
        return false;
    }
    Own(window);
    nameAtom_.reset(GlobalAddAtomW(control_.Name().c_str()));
    if (nameAtom_) {
        SetPropW(window_, kControlNameProperty,
                 reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(nameAtom_.get())));
    }
    control_.Attach(this);
    return true;
}

void Win32Control::ShowText(const std::wstring& text) {
    if (control_.Kind() != ui::ControlKind::TextBox || WindowText(window_) != text) {
        SetWindowTextW(window_, text.c_str());
    }
    if (IsContainer()) {
        InvalidateRect(window_, nullptr, TRUE);
    }
}

void Win32Control::ShowValue(int value) {
    switch (control_.Kind()) {
    case ui::ControlKind::CheckBox:
    case ui::ControlKind::OptionButton:
        SendMessageW(window_, BM_SETCHECK, value != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
    case ui::ControlKind::ListBox:
        SendMessageW(window_, LB_SETCURSEL, static_cast<WPARAM>(value), 0);
        break;
    case ui::ControlKind::VScrollBar: {
        SCROLLINFO info{sizeof(info), SIF_POS, 0, 0, 0, value, 0};
        SetScrollInfo(window_, SB_CTL, &info, TRUE);
        break;
    }
    default:
        break;
    }
}

void Win32Control::ShowFont(const ui::Font& font) {
    const int height = -MulDiv(static_cast<int>(std::lround(font.points * 100)), dpi_, 7200);
    HFONT created = CreateFontW(
        height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, font.underline ? TRUE : FALSE,
        FALSE, static_cast<BYTE>(font.charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
        CLEARTYPE_QUALITY, DEFAULT_PITCH, font.name.c_str());
    SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(created), TRUE);
    font_.reset(created);
}

void Win32Control::PaintContainer() {
    const PaintScope paint(window_);
    HDC dc = paint.Dc();
    if (dc == nullptr) {
        return;
    }
    RECT client{};
    GetClientRect(window_, &client);
    HBRUSH brush = background_ ? background_.get() : host_.ContainerBrush(GetParent(window_));
    FillRect(dc, &client, brush != nullptr ? brush : GetSysColorBrush(COLOR_BTNFACE));
    if (!control_.Picture().empty()) {
        const SIZE whole{client.right - client.left, client.bottom - client.top};
        DrawBitmapFile(dc, control_.Picture(), 0, 0, dpi_, control_.Stretch() ? &whole : nullptr);
    }
}

LRESULT Win32Control::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    LRESULT result = 0;
    if (host_.HandleChildMessage(message, wParam, lParam, result)) {
        return result;
    }
    switch (message) {
    case WM_PAINT:
        PaintContainer();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        host_.ContainerPressed(*this);
        return 0;
    case WM_SETCURSOR:
        break;
    default:
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

} // namespace vtrl::win32
