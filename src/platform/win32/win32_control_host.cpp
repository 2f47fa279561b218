#include "platform/win32/win32_control_host.h"

#include "platform/ui/access_keys.h"
#include "platform/win32/win32_bitmap_drawing.h"
#include "platform/win32/win32_form_host.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>
#include <utility>

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
        style |=
            WS_TABSTOP | (control_.ReadOnly() ? ES_READONLY : 0) |
            (control_.MultiLine() ? ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL : ES_AUTOHSCROLL);
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
        // Tab looks inside a control parent and never stops at it: a container that is a tab
        // stop of its own (a drawn list) keys its children itself.
        extended = control_.TabStop() ? 0 : WS_EX_CONTROLPARENT;
        break;
    case ui::ControlKind::VScrollBar:
        windowClass = L"SCROLLBAR";
        style |= SBS_VERT;
        break;
    }
    if (control_.TabStop()) {
        style |= WS_TABSTOP;
    }
    // Made as the model stands, so that AttachModel need not move, name, show or enable it again.
    if (control_.Visible()) {
        style |= WS_VISIBLE;
    }
    if (!control_.Enabled()) {
        style |= WS_DISABLED;
    }
    const bool hasText = control_.Kind() != ui::ControlKind::ListBox &&
                         control_.Kind() != ui::ControlKind::VScrollBar;
    const std::wstring caption = hasText ? WindowCaption() : std::wstring();
    const ui::TwipsRect& rect = control_.Rect();
    void* createParameter = IsContainer() ? this : nullptr;
    HWND window =
        CreateWindowExW(extended, windowClass, caption.c_str(), style,
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
    if (control_.Kind() == ui::ControlKind::Label && control_.TabStop()) {
        SetWindowSubclass(window_, &Win32Control::LinkProc, 0, reinterpret_cast<DWORD_PTR>(this));
    }
    return true;
}

LRESULT CALLBACK Win32Control::LinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR, DWORD_PTR self) noexcept {
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, &Win32Control::LinkProc, 0);
        return DefSubclassProc(window, message, wParam, lParam);
    }
    return reinterpret_cast<Win32Control*>(self)->HandleLinkMessage(message, wParam, lParam);
}

LRESULT Win32Control::HandleLinkMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_GETDLGCODE:
        return DLGC_BUTTON;
    case BM_CLICK:
        try {
            control_.Click();
        } catch (...) {
            // A failing handler loses its click, never the window.
        }
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        const LRESULT result = DefSubclassProc(window_, message, wParam, lParam);
        InvalidateRect(window_, nullptr, TRUE);
        FocusChanged(message == WM_SETFOCUS);
        return result;
    }
    case WM_PAINT: {
        // The static paints into the given context; the focus rectangle goes over it.
        const PaintScope paint(window_);
        if (paint.Dc() == nullptr) {
            break;
        }
        DefSubclassProc(window_, WM_PAINT, reinterpret_cast<WPARAM>(paint.Dc()), 0);
        if (GetFocus() == window_) {
            RECT client{};
            GetClientRect(window_, &client);
            DrawFocusRect(paint.Dc(), &client);
        }
        return 0;
    }
    default:
        break;
    }
    return DefSubclassProc(window_, message, wParam, lParam);
}

void Win32Control::FocusChanged(bool focused) noexcept {
    try {
        control_.UserSetFocus(focused);
    } catch (...) {
        // A failing handler loses its event, never the window.
    }
}

bool Win32Control::KeyDown(WPARAM virtualKey) noexcept {
    static constexpr std::pair<WPARAM, ui::Key> kKeys[] = {
        {VK_UP, ui::Key::Up},         {VK_DOWN, ui::Key::Down}, {VK_PRIOR, ui::Key::PageUp},
        {VK_NEXT, ui::Key::PageDown}, {VK_HOME, ui::Key::Home}, {VK_END, ui::Key::End}};
    const auto* found =
        std::find_if(std::begin(kKeys), std::end(kKeys),
                     [virtualKey](const auto& key) { return key.first == virtualKey; });
    if (found == std::end(kKeys) || !control_.onKey) {
        return false;
    }
    try {
        return control_.onKey(found->second);
    } catch (...) {
        return true;
    }
}

std::wstring Win32Control::WindowCaption() const {
    const std::wstring& caption = control_.Caption();
    return control_.AccessKey() != 0 ? ui::TextWithAccessKey(caption, control_.AccessKey())
                                     : caption;
}

void Win32Control::ShowText(const std::wstring&) {
    if (attaching_) {
        return; // made with it
    }
    const std::wstring text = WindowCaption();
    if (control_.Kind() != ui::ControlKind::TextBox || WindowText(window_) != text) {
        SetWindowTextW(window_, text.c_str());
    }
    if (IsContainer()) {
        Redraw();
    }
}

void Win32Control::ShowToolTip(const std::wstring& text) {
    if (!toolTip_) {
        // The tooltip window is made when the pointer first comes over the control: a tooltip
        // window costs as much as several controls, and most are never hovered.
        if (!text.empty() && !waitingForPointer_) {
            waitingForPointer_ =
                SetWindowSubclass(window_, &Win32Control::PointerWaitProc, kPointerWaitId,
                                  reinterpret_cast<DWORD_PTR>(this)) != FALSE;
        }
        return;
    }
    TTTOOLINFOW tool = ToolInfo(text);
    SendMessageW(toolTip_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

TTTOOLINFOW Win32Control::ToolInfo(const std::wstring& text) const {
    // The structure as comctl32 5 knows it, so that the tool is added with either version.
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(window_);
    tool.uId = reinterpret_cast<UINT_PTR>(window_);
    tool.lpszText = const_cast<wchar_t*>(text.c_str());
    return tool;
}

void Win32Control::MakeToolTip() {
    const std::wstring& text = control_.ToolTip();
    if (toolTip_ || text.empty()) {
        return;
    }
    toolTip_.reset(CreateWindowExW(
        WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, GetAncestor(window_, GA_ROOT),
        nullptr, GetModuleHandleW(nullptr), nullptr));
    if (!toolTip_) {
        return;
    }
    // A long command line wraps at about a third of the screen instead of running off it.
    SendMessageW(toolTip_.get(), TTM_SETMAXTIPWIDTH, 0, GetSystemMetrics(SM_CXSCREEN) / 3);
    TTTOOLINFOW tool = ToolInfo(text);
    SendMessageW(toolTip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

LRESULT CALLBACK Win32Control::PointerWaitProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam, UINT_PTR, DWORD_PTR self) noexcept {
    auto* control = reinterpret_cast<Win32Control*>(self);
    if (message == WM_MOUSEMOVE || message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, &Win32Control::PointerWaitProc, kPointerWaitId);
        control->waitingForPointer_ = false;
    }
    if (message == WM_MOUSEMOVE) {
        control->MakeToolTip();
        if (control->toolTip_) {
            // The tooltip watches the control from now on; this first move starts its wait.
            MSG event{window, message, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
            GetCursorPos(&event.pt);
            SendMessageW(control->toolTip_.get(), TTM_RELAYEVENT, 0,
                         reinterpret_cast<LPARAM>(&event));
        }
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

void Win32Control::ShowVisible(bool visible) {
    if (visible && IsContainer()) {
        host_.ContainerShown(control_);
    }
    if (!attaching_) {
        ShowWindow(window_, visible ? SW_SHOWNA : SW_HIDE);
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
    font_ = host_.FontFor(font, dpi_);
    SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), attaching_ ? FALSE : TRUE);
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
        if (control_.TabStop()) {
            SetFocus(window_);
        }
        host_.ContainerPressed(*this);
        return 0;
    case WM_GETDLGCODE:
        // Arrows stay with a drawn list; Tab, Enter and Escape go to the window.
        if (control_.onKey) {
            return DLGC_WANTARROWS;
        }
        break;
    case WM_KEYDOWN:
        if (KeyDown(wParam)) {
            return 0;
        }
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        FocusChanged(message == WM_SETFOCUS);
        if (message == WM_SETFOCUS) {
            accessibility_.FocusCame(window_);
        }
        return 0;
    case WM_GETOBJECT:
        if (const std::optional<LRESULT> answer = accessibility_.Answer(window_, wParam, lParam)) {
            return *answer;
        }
        break;
    case WM_DESTROY:
        accessibility_.Disconnect();
        break;
    case WM_SETCURSOR:
        break;
    default:
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

} // namespace vtrl::win32
