#include "platform/win32/win32_form_host.h"

#include "platform/win32/win32_window_system.h"

#include <algorithm>
#include <cmath>

namespace vtrl::win32 {

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
    Own(window);
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
    const bool late = form_.LateHiddenContent();
    HWND parent = window_;
    if (const ui::Control* container = control.Parent()) {
        Win32Control* native = Find(container);
        if (native == nullptr && !late) {
            AttachControl(*control.Parent());
            native = Find(container);
        }
        if (late && (native == nullptr || !container->Visible())) {
            // Made when its container is shown (ContainerShown).
            return;
        }
        if (native != nullptr) {
            parent = native->Handle();
        }
    }
    auto native = std::make_unique<Win32Control>(*this, control);
    if (!native->Create(parent, static_cast<int>(dpi_))) {
        return;
    }
    Win32Control& made = *native;
    controls_.push_back(std::move(native));
    // Only now that the form knows the window: a container shown here makes its children.
    made.AttachModel();
}

void Win32FormHost::ContainerShown(const ui::Control& container) {
    if (!form_.LateHiddenContent()) {
        return;
    }
    for (ui::Control* control : form_.Controls()) {
        if (control->Parent() == &container) {
            AttachControl(*control);
        }
    }
}

HFONT Win32FormHost::FontFor(const ui::Font& font, int dpi) {
    const int height = -MulDiv(static_cast<int>(std::lround(font.points * 100)), dpi, 7200);
    auto key = std::make_tuple(font.name, height, font.bold, font.underline,
                               static_cast<int>(font.charset), dpi);
    auto found = fonts_.find(key);
    if (found == fonts_.end()) {
        HFONT made = CreateFontW(
            height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, font.underline ? TRUE : FALSE,
            FALSE, static_cast<BYTE>(font.charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
            CLEARTYPE_QUALITY, DEFAULT_PITCH, font.name.c_str());
        found = fonts_.emplace(std::move(key), unique_font(made)).first;
    }
    return found->second.get();
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

void Win32FormHost::RunAside(std::function<void()> work, std::function<void()> done) {
    system_.RunAside(form_, std::move(work), std::move(done));
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
    case WM_COMMAND:
        // IsDialogMessageW turns Enter into IDOK and Escape into IDCANCEL, sent to the window
        // itself since no control of ours carries either identifier.
        if (lParam == 0 && LOWORD(wParam) == IDOK) {
            EnterPressed();
            return 0;
        }
        if (lParam == 0 && LOWORD(wParam) == IDCANCEL) {
            Guarded([&] { form_.Form_Escape(); });
            return 0;
        }
        break;
    case WM_NEXTDLGCTL: {
        // IsDialogMessageW moves the focus through the window as DefDlgProc would: a label's
        // access key focuses the label, then the next control. Ours is no dialog class, so it
        // does the same here: lParam set names the control, else wParam says back or forth.
        HWND next = LOWORD(lParam) != 0
                        ? reinterpret_cast<HWND>(wParam)
                        : GetNextDlgTabItem(window_, GetFocus(), wParam != 0 ? TRUE : FALSE);
        if (next != nullptr && IsChild(window_, next)) {
            if ((SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0) {
                SendMessageW(next, EM_SETSEL, 0, -1);
            }
            SetFocus(next);
        }
        return 0;
    }
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
    case WM_MOUSEWHEEL: {
        // A fine-grained wheel sends parts of a notch; they count once they make a whole one.
        wheelRemainder_ += GET_WHEEL_DELTA_WPARAM(wParam);
        const int notches = wheelRemainder_ / WHEEL_DELTA;
        wheelRemainder_ %= WHEEL_DELTA;
        if (notches != 0) {
            UINT rows = 3;
            SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &rows, 0);
            const int rowsPerNotch = rows == WHEEL_PAGESCROLL ? 0 : static_cast<int>(rows);
            // The wheel turned away from the user (a positive delta) moves up the list.
            Guarded([&] { form_.Form_MouseWheel(-notches, rowsPerNotch); });
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
            const PaintScope paint(window_);
            RECT client{};
            GetClientRect(window_, &client);
            FrameRect(paint.Dc(), &client, GetSysColorBrush(COLOR_BTNSHADOW));
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
        if (form_.Unloaded()) {
            DestroyOwned();
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

} // namespace vtrl::win32
