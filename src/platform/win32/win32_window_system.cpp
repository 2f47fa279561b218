#include "platform/win32/win32_window_system.h"

#include "platform/ui/bitmap_file.h"
#include "platform/win32/unique_handle.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <string>

namespace vtrl::win32 {
namespace {

constexpr wchar_t kFormClass[] = L"VantorelForm";
constexpr wchar_t kPanelClass[] = L"VantorelPanel";
constexpr int kDefaultDpi = 96;
// Each control's name, as a global atom in this window property, so that tools and tests in
// other processes find a control by the name the code gives it.
constexpr wchar_t kControlNameProperty[] = L"VantorelControl";

// GetDpiForWindow exists from Windows 10 1607 on; older systems and Wine may lack it.
UINT WindowDpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow != nullptr && window != nullptr) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi != 0) {
            return dpi;
        }
    }
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : kDefaultDpi;
    if (screen != nullptr) {
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

COLORREF ToColorRef(ui::Colour colour) {
    return static_cast<COLORREF>(colour & 0x00FFFFFF);
}

std::wstring WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
}

} // namespace

bool DrawBitmapFile(HDC dc, const std::vector<std::uint8_t>& file, int x, int y, int dpi,
                    const SIZE* stretchTo) {
    const std::optional<ui::BitmapFileLayout> layout = ui::CheckBitmapFile(file);
    if (!layout) {
        return false;
    }
    const auto* info = reinterpret_cast<const BITMAPINFO*>(file.data() + layout->infoOffset);
    const int drawnWidth =
        stretchTo != nullptr ? stretchTo->cx : MulDiv(layout->width, dpi, kDefaultDpi);
    const int drawnHeight =
        stretchTo != nullptr ? stretchTo->cy : MulDiv(layout->height, dpi, kDefaultDpi);
    SetStretchBltMode(dc, HALFTONE);
    return StretchDIBits(dc, x, y, drawnWidth, drawnHeight, 0, 0, layout->width, layout->height,
                         file.data() + layout->pixelOffset, info, DIB_RGB_COLORS, SRCCOPY) != 0;
}

// One control's native window. Containers (pictures and frames) are windows of our own class
// that paint their colour and picture and pass their children's notifications to the form.
class Win32Control final : public ui::NativeControl, public BaseWindow<Win32Control> {
public:
    Win32Control(Win32FormHost& host, ui::Control& control) : host_(host), control_(control) {}
    ~Win32Control() override {
        if (window_ != nullptr && IsWindow(window_)) {
            RemovePropW(window_, kControlNameProperty);
            DestroyWindow(window_);
        }
        if (nameAtom_ != 0) {
            GlobalDeleteAtom(nameAtom_);
        }
    }

    bool Create(HWND parent, int dpi);
    ui::Control& Model() { return control_; }
    bool IsContainer() const {
        return control_.Kind() == ui::ControlKind::Picture ||
               control_.Kind() == ui::ControlKind::Frame;
    }
    void ApplyDpi(int dpi) {
        dpi_ = dpi;
        ShowFont(control_.GetFont());
        ShowRect(control_.Rect());
    }
    HBRUSH BackgroundBrush() const { return background_.get(); }
    void PaintContainer();

    void ShowText(const std::wstring& text) override;
    void ShowVisible(bool visible) override { ShowWindow(window_, visible ? SW_SHOWNA : SW_HIDE); }
    void ShowEnabled(bool enabled) override { EnableWindow(window_, enabled ? TRUE : FALSE); }
    void ShowValue(int value) override;
    void ShowRect(const ui::TwipsRect& rect) override {
        MoveWindow(window_, ui::TwipsToPixels(rect.left, dpi_), ui::TwipsToPixels(rect.top, dpi_),
                   ui::TwipsToPixels(rect.width, dpi_), ui::TwipsToPixels(rect.height, dpi_), TRUE);
    }
    void ShowFont(const ui::Font& font) override;
    void ShowColours(ui::Colour, ui::Colour background) override {
        background_.reset(
            background == ui::kDefaultColour ? nullptr : CreateSolidBrush(ToColorRef(background)));
        InvalidateRect(window_, nullptr, TRUE);
    }
    void ShowItems(const std::vector<std::wstring>& items) override {
        SendMessageW(window_, LB_RESETCONTENT, 0, 0);
        for (const auto& item : items) {
            SendMessageW(window_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        }
    }
    void ShowPicture(const std::vector<std::uint8_t>&) override {
        InvalidateRect(window_, nullptr, TRUE);
    }
    void ShowRange(int minimum, int maximum) override {
        SCROLLINFO info{sizeof(info), SIF_RANGE | SIF_DISABLENOSCROLL, minimum, maximum, 0, 0, 0};
        SetScrollInfo(window_, SB_CTL, &info, TRUE);
    }
    void TakeFocus() override { SetFocus(window_); }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept;

private:
    friend class BaseWindow<Win32Control>;
    Win32FormHost& host_;
    ui::Control& control_;
    int dpi_ = kDefaultDpi;
    ATOM nameAtom_ = 0;
    unique_font font_;
    unique_brush background_;
};

class Win32FormHost final : public ui::FormHost, public BaseWindow<Win32FormHost> {
public:
    Win32FormHost(Win32WindowSystem& system, ui::Form& form) : system_(system), form_(form) {}
    ~Win32FormHost() override {
        DestroyControls();
        if (window_ != nullptr) {
            DestroyWindow(window_);
        }
    }

    bool Create();
    // Children before their containers, in the reverse order they were made.
    void DestroyControls() {
        while (!controls_.empty()) {
            controls_.pop_back();
        }
    }

    void ShowCaption(const std::wstring& caption) override {
        SetWindowTextW(window_, caption.c_str());
    }
    void ShowPosition(int leftTwips, int topTwips) override {
        SetWindowPos(window_, nullptr, ui::TwipsToPixels(leftTwips, dpi_),
                     ui::TwipsToPixels(topTwips, dpi_), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    void ShowVisible(bool visible) override;
    void MakeTopmost() override {
        SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    void TimerChanged(ui::Timer& timer) override;
    void AttachControl(ui::Control& control) override;
    void DetachControl(ui::Control& control) override {
        std::erase_if(controls_,
                      [&control](const auto& native) { return &native->Model() == &control; });
    }
    void ShowBackground(ui::Colour colour) override {
        background_.reset(colour == ui::kDefaultColour ? nullptr
                                                       : CreateSolidBrush(ToColorRef(colour)));
        InvalidateRect(window_, nullptr, TRUE);
    }
    void Close() override {
        if (window_ != nullptr) {
            DestroyWindow(window_);
        }
    }
    void DoEvents() override;
    void Pause(int milliseconds) override { Sleep(static_cast<DWORD>(std::max(milliseconds, 0))); }
    void BeginDrag() override {
        ReleaseCapture();
        SendMessageW(window_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
    }
    ui::ScreenMetrics Screen() override {
        const int dpi = static_cast<int>(dpi_);
        return {ui::PixelsToTwips(GetSystemMetrics(SM_CXSCREEN), dpi),
                ui::PixelsToTwips(GetSystemMetrics(SM_CYSCREEN), dpi),
                std::max(1, (ui::kTwipsPerInch + dpi / 2) / dpi)};
    }
    bool AddTrayIcon(const std::wstring& tip) override;
    void RemoveTrayIcon() override;

    // Notifications and colours of child controls, also from inside containers.
    bool HandleChildMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept;
    void ContainerPressed(Win32Control& container) noexcept;
    HBRUSH ContainerBrush(HWND container) const;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept;

private:
    friend class BaseWindow<Win32FormHost>;
    Win32Control* Find(HWND window) const {
        for (const auto& native : controls_) {
            if (native->Handle() == window) {
                return native.get();
            }
        }
        return nullptr;
    }
    Win32Control* Find(const ui::Control* control) const {
        for (const auto& native : controls_) {
            if (&native->Model() == control) {
                return native.get();
            }
        }
        return nullptr;
    }
    NOTIFYICONDATAW TrayData() const;
    void Scrolled(Win32Control& bar, int request);
    void ApplyDpi(UINT dpi, const RECT* suggested);
    template <typename Handler> void Guarded(Handler&& handler) noexcept {
        try {
            handler();
        } catch (...) {
            // A failing handler loses its event, never the window.
        }
    }

    Win32WindowSystem& system_;
    ui::Form& form_;
    UINT dpi_ = kDefaultDpi;
    std::vector<std::unique_ptr<Win32Control>> controls_;
    unique_brush background_;
    bool trayIconWanted_ = false;
    std::wstring trayTip_;
    UINT taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
};

// --- Win32Control -------------------------------------------------------------------------

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
    window_ = window;
    nameAtom_ = GlobalAddAtomW(control_.Name().c_str());
    if (nameAtom_ != 0) {
        SetPropW(window_, kControlNameProperty,
                 reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(nameAtom_)));
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
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window_, &paint);
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
    EndPaint(window_, &paint);
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

// --- Win32FormHost ------------------------------------------------------------------------

bool Win32FormHost::Create() {
    DWORD style = WS_POPUP | WS_CLIPCHILDREN;
    DWORD extended = WS_EX_CONTROLPARENT;
    switch (form_.Style()) {
    case ui::FormStyle::Borderless:
        break;
    case ui::FormStyle::Hidden:
        extended |= WS_EX_TOOLWINDOW;
        break;
    case ui::FormStyle::Dialog:
        style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
        break;
    }
    dpi_ = WindowDpi(nullptr);
    RECT frame{0, 0, ui::TwipsToPixels(form_.Width(), static_cast<int>(dpi_)),
               ui::TwipsToPixels(form_.Height(), static_cast<int>(dpi_))};
    AdjustWindowRectEx(&frame, style, FALSE, extended);
    HWND window = CreateWindowExW(extended, kFormClass, form_.Caption().c_str(), style,
                                  ui::TwipsToPixels(form_.Left(), static_cast<int>(dpi_)),
                                  ui::TwipsToPixels(form_.Top(), static_cast<int>(dpi_)),
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), this);
    if (window == nullptr) {
        return false;
    }
    const UINT windowDpi = WindowDpi(window);
    if (windowDpi != dpi_) {
        ApplyDpi(windowDpi, nullptr);
    }
    form_.AttachHost(this);
    for (ui::Control* control : form_.Controls()) {
        AttachControl(*control);
    }
    if (form_.Background() != ui::kDefaultColour) {
        ShowBackground(form_.Background());
    }
    for (ui::Timer* timer : form_.Timers()) {
        TimerChanged(*timer);
    }
    return true;
}

void Win32FormHost::AttachControl(ui::Control& control) {
    if (Find(&control) != nullptr) {
        return;
    }
    HWND parent = window_;
    if (control.Parent() != nullptr) {
        Win32Control* container = Find(control.Parent());
        if (container == nullptr) {
            AttachControl(*control.Parent());
            container = Find(control.Parent());
        }
        if (container != nullptr) {
            parent = container->Handle();
        }
    }
    auto native = std::make_unique<Win32Control>(*this, control);
    if (native->Create(parent, static_cast<int>(dpi_))) {
        controls_.push_back(std::move(native));
    }
}

void Win32FormHost::ShowVisible(bool visible) {
    if (visible) {
        ShowWindow(window_, SW_SHOWNORMAL);
        UpdateWindow(window_);
    } else {
        ShowWindow(window_, SW_HIDE);
    }
}

void Win32FormHost::TimerChanged(ui::Timer& timer) {
    const auto& timers = form_.Timers();
    const auto found = std::find(timers.begin(), timers.end(), &timer);
    if (found == timers.end() || window_ == nullptr) {
        return;
    }
    const UINT_PTR id = static_cast<UINT_PTR>(found - timers.begin()) + 1;
    if (timer.Enabled() && timer.Interval() > 0) {
        SetTimer(window_, id, static_cast<UINT>(timer.Interval()), nullptr);
    } else {
        KillTimer(window_, id);
    }
}

void Win32FormHost::DoEvents() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

NOTIFYICONDATAW Win32FormHost::TrayData() const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = window_;
    data.uID = kTrayIconId;
    return data;
}

bool Win32FormHost::AddTrayIcon(const std::wstring& tip) {
    NOTIFYICONDATAW data = TrayData();
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1),
                                               IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    const std::size_t length = std::min(tip.size(), std::size(data.szTip) - 1);
    std::copy_n(tip.c_str(), length, data.szTip);
    data.szTip[length] = L'\0';
    trayIconWanted_ = true;
    trayTip_ = tip;
    return Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
}

void Win32FormHost::RemoveTrayIcon() {
    if (!trayIconWanted_) {
        return;
    }
    trayIconWanted_ = false;
    NOTIFYICONDATAW data = TrayData();
    Shell_NotifyIconW(NIM_DELETE, &data);
}

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

void Win32FormHost::ApplyDpi(UINT dpi, const RECT* suggested) {
    dpi_ = dpi;
    if (suggested != nullptr) {
        SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    for (const auto& native : controls_) {
        native->ApplyDpi(static_cast<int>(dpi));
    }
}

LRESULT Win32FormHost::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    LRESULT result = 0;
    if (HandleChildMessage(message, wParam, lParam, result)) {
        return result;
    }
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        // Explorer restarted: its new tray knows nothing of our icon.
        if (trayIconWanted_) {
            Guarded([&] { AddTrayIcon(trayTip_); });
        }
        return 0;
    }
    switch (message) {
    case kTrayCallbackMessage:
        Guarded([&] { form_.Form_TrayMessage(LOWORD(lParam)); });
        return 0;
    case WM_TIMER: {
        const auto& timers = form_.Timers();
        const std::size_t index = static_cast<std::size_t>(wParam) - 1;
        if (index < timers.size() && timers[index]->Enabled() && timers[index]->onTick) {
            Guarded([&] { timers[index]->onTick(); });
        }
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        Guarded([&] { form_.Form_MouseDown(); });
        return 0;
    case WM_ERASEBKGND:
        if (background_) {
            RECT client{};
            GetClientRect(window_, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, background_.get());
            return 1;
        }
        break;
    case WM_PAINT:
        if (form_.Style() == ui::FormStyle::Borderless) {
            // Without a frame the window still needs an edge against a light desktop.
            PAINTSTRUCT paint{};
            HDC dc = BeginPaint(window_, &paint);
            RECT client{};
            GetClientRect(window_, &client);
            FrameRect(dc, &client, GetSysColorBrush(COLOR_BTNSHADOW));
            EndPaint(window_, &paint);
            return 0;
        }
        break;
    case WM_WINDOWPOSCHANGED: {
        const auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
        if ((position->flags & SWP_NOMOVE) == 0) {
            form_.UserSetPosition(ui::PixelsToTwips(position->x, static_cast<int>(dpi_)),
                                  ui::PixelsToTwips(position->y, static_cast<int>(dpi_)));
        }
        break;
    }
    case WM_DPICHANGED:
        Guarded([&] { ApplyDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam)); });
        return 0;
    case WM_CLOSE:
        // Any close, the window system's included, unloads the form the way its own code would.
        Guarded([&] { form_.Unload(); });
        if (window_ != nullptr && IsWindow(window_) && form_.Unloaded()) {
            DestroyWindow(window_);
        }
        return 0;
    case WM_DESTROY:
        Guarded([&] {
            if (!form_.Unloaded()) {
                form_.Unload();
            }
            RemoveTrayIcon();
            for (std::size_t id = 1; id <= form_.Timers().size(); ++id) {
                KillTimer(window_, id);
            }
            for (ui::Control* control : form_.Controls()) {
                control->Attach(nullptr);
            }
            DestroyControls();
            form_.AttachHost(nullptr);
            system_.FormDestroyed(form_);
        });
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

// --- Win32WindowSystem --------------------------------------------------------------------

namespace {

bool RegisterWindowClasses() {
    static const bool registered = [] {
        WNDCLASSEXW form{};
        form.cbSize = sizeof(form);
        form.lpfnWndProc = &Win32FormHost::WindowProc;
        form.hInstance = GetModuleHandleW(nullptr);
        form.hIcon = LoadIconW(form.hInstance, MAKEINTRESOURCEW(1));
        form.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        form.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        form.lpszClassName = kFormClass;
        WNDCLASSEXW panel = form;
        panel.lpfnWndProc = &Win32Control::WindowProc;
        panel.hIcon = nullptr;
        panel.hbrBackground = nullptr;
        panel.lpszClassName = kPanelClass;
        return RegisterClassExW(&form) != 0 && RegisterClassExW(&panel) != 0;
    }();
    return registered;
}

} // namespace

Win32WindowSystem::Win32WindowSystem() = default;

Win32WindowSystem::~Win32WindowSystem() {
    // Hosts first: their windows refer to the forms.
    for (auto& entry : entries_) {
        entry.host.reset();
    }
}

ui::Form& Win32WindowSystem::Load(std::unique_ptr<ui::Form> form) {
    ui::Form& loaded = *form;
    entries_.push_back({std::move(form), nullptr, false});
    Entry& entry = entries_.back();
    if (RegisterWindowClasses()) {
        entry.host = std::make_unique<Win32FormHost>(*this, loaded);
        if (!entry.host->Create()) {
            entry.host.reset();
        }
    }
    if (!entry.host) {
        // Without a window the form can neither be seen nor receive events.
        entry.destroyed = true;
        loaded.Unload();
        return loaded;
    }
    loaded.Form_Load();
    return loaded;
}

void Win32WindowSystem::FormDestroyed(const ui::Form& form) {
    for (auto& entry : entries_) {
        if (entry.form.get() == &form) {
            entry.destroyed = true;
        }
    }
}

bool Win32WindowSystem::AnyFormOpen() const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [](const Entry& entry) { return !entry.destroyed; });
}

void Win32WindowSystem::Reap() {
    std::erase_if(entries_, [](Entry& entry) {
        if (!entry.destroyed) {
            return false;
        }
        entry.host.reset();
        return true;
    });
}

void Win32WindowSystem::AddWait(HANDLE handle, std::function<bool()> signalled) {
    RemoveWait(handle);
    waits_.push_back({handle, std::move(signalled)});
}

void Win32WindowSystem::RemoveWait(HANDLE handle) {
    std::erase_if(waits_, [handle](const Wait& wait) { return wait.handle == handle; });
}

void Win32WindowSystem::RunSignalled(DWORD index) {
    if (index >= waits_.size()) {
        return;
    }
    const HANDLE handle = waits_[index].handle;
    bool keep = false;
    // A copy: the callback may add or remove waits, which moves the list under it.
    const auto signalled = waits_[index].signalled;
    try {
        keep = signalled();
    } catch (...) {
        keep = true;
    }
    if (!keep) {
        RemoveWait(handle);
    }
}

std::optional<std::wstring> Win32WindowSystem::ChooseOpenFile(const ui::Form* owner,
                                                              const ui::OpenFileRequest& request) {
    HWND ownerWindow = nullptr;
    for (const auto& entry : entries_) {
        if (entry.form.get() == owner && entry.host && !entry.destroyed) {
            ownerWindow = entry.host->Handle();
        }
    }
    // The dialog wants its filter as NUL-separated pairs ending in two NULs.
    std::wstring filter = request.filter;
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    filter.append(2, L'\0');
    constexpr std::size_t kPathBuffer = 32768;
    std::wstring file = request.fileName;
    file.resize(std::max(file.size() + 1, kPathBuffer), L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = ownerWindow;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir =
        request.initialFolder.empty() ? nullptr : request.initialFolder.c_str();
    dialog.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
    // The process keeps its current folder whatever the user browses through.
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
    if (GetOpenFileNameW(&dialog) == FALSE) {
        return std::nullopt;
    }
    file.resize(std::wcslen(file.c_str()));
    return file;
}

void Win32WindowSystem::RunMessageLoop() {
    Reap();
    while (AnyFormOpen()) {
        std::vector<HANDLE> handles;
        handles.reserve(waits_.size());
        for (const Wait& wait : waits_) {
            handles.push_back(wait.handle);
        }
        const DWORD count =
            static_cast<DWORD>(std::min<std::size_t>(handles.size(), MAXIMUM_WAIT_OBJECTS - 1));
        const DWORD woke = MsgWaitForMultipleObjectsEx(count, handles.data(), INFINITE, QS_ALLINPUT,
                                                       MWMO_INPUTAVAILABLE);
        if (woke < WAIT_OBJECT_0 + count) {
            RunSignalled(woke - WAIT_OBJECT_0);
        } else if (woke == WAIT_FAILED) {
            // A handle went bad; drop the waits rather than spin.
            waits_.clear();
        }
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                Reap();
                return;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
            Reap();
            if (!AnyFormOpen()) {
                break;
            }
        }
        Reap();
    }
}

} // namespace vtrl::win32
