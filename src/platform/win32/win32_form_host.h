#pragma once
// A form's native top-level window: it creates the controls' windows, turns window messages into
// the form's events, keeps its timers and its tray icon.

#include "platform/ui/form.h"
#include "platform/win32/base_window.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_control_host.h"
#include "platform/win32/win32_window_basics.h"

#include <windows.h>
#include <shellapi.h>

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace vtrl::win32 {

class Win32WindowSystem;

// The window message a tray icon's mouse events arrive with; the low word of lParam is the
// mouse message (WM_LBUTTONUP, ...).
inline constexpr UINT kTrayCallbackMessage = WM_APP + 1;
inline constexpr UINT kTrayIconId = 1;

class Win32FormHost final : public ui::FormHost, public BaseWindow<Win32FormHost> {
public:
    Win32FormHost(Win32WindowSystem& system, ui::Form& form) : system_(system), form_(form) {}
    ~Win32FormHost() override {
        DestroyControls();
        DestroyOwned();
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
    // Makes the windows of the container's children that waited for it to be shown.
    void ContainerShown(const ui::Control& container);
    // The font for the form's controls at this DPI, made once and kept as long as the form.
    HFONT FontFor(const ui::Font& font, int dpi);
    void DetachControl(ui::Control& control) override {
        std::erase_if(controls_,
                      [&control](const auto& native) { return &native->Model() == &control; });
    }
    void ShowBackground(ui::Colour colour) override {
        background_.reset(colour == ui::kDefaultColour ? nullptr
                                                       : CreateSolidBrush(ToColorRef(colour)));
        InvalidateRect(window_, nullptr, TRUE);
    }
    void Close() override { DestroyOwned(); }
    void RunAside(std::function<void()> work, std::function<void()> done) override;
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
    // Enter as the dialog keyboard handling reports it: the focused control's own action (a
    // drawn list's, a button's or a link's), else the form's default.
    void EnterPressed() noexcept;
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
    // The fonts outlive the controls: the destructor destroys the controls' windows first.
    std::map<std::tuple<std::wstring, int, bool, bool, int, int>, unique_font> fonts_;
    std::vector<std::unique_ptr<Win32Control>> controls_;
    unique_brush background_;
    bool trayIconWanted_ = false;
    int wheelRemainder_ = 0; // the part of a wheel notch not yet acted on
    std::wstring trayTip_;
    UINT taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
};

} // namespace vtrl::win32
