#pragma once
// Native windows for forms: a top-level window per form, a child window per control, twips
// converted with the window's DPI, and the message loop that lives as long as any form.

#include "platform/ui/window_system.h"
#include "platform/win32/base_window.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

namespace vtrl::win32 {

class Win32FormHost;

class Win32WindowSystem final : public ui::WindowSystem {
public:
    Win32WindowSystem();
    Win32WindowSystem(const Win32WindowSystem&) = delete;
    Win32WindowSystem& operator=(const Win32WindowSystem&) = delete;
    ~Win32WindowSystem() override;

    ui::Form& Load(std::unique_ptr<ui::Form> form) override;
    void RunMessageLoop() override;
    std::optional<std::wstring> ChooseOpenFile(const ui::Form* owner,
                                               const ui::OpenFileRequest& request) override;

    // A kernel object the loop waits for beside the window messages; the callback runs on this
    // thread each time it is signalled. Waits end when the callback returns false.
    void AddWait(HANDLE handle, std::function<bool()> signalled);
    void RemoveWait(HANDLE handle);

    // The host's window is gone: its form is dropped after the current message.
    void FormDestroyed(const ui::Form& form);

private:
    struct Entry {
        std::unique_ptr<ui::Form> form;
        std::unique_ptr<Win32FormHost> host;
        bool destroyed = false;
    };
    struct Wait {
        HANDLE handle;
        std::function<bool()> signalled;
    };
    bool AnyFormOpen() const;
    void Reap();
    void RunSignalled(DWORD index);

    std::vector<Entry> entries_;
    std::vector<Wait> waits_;
};

// Draws the bytes of a ".bmp" file at the given place, scaled with the DPI or, when a stretch
// size is given, to that size. A file that fails CheckBitmapFile is not drawn: false then.
bool DrawBitmapFile(HDC dc, const std::vector<std::uint8_t>& file, int x, int y, int dpi,
                    const SIZE* stretchTo = nullptr);

// The window message a tray icon's mouse events arrive with; the low word of lParam is the
// mouse message (WM_LBUTTONUP, ...).
inline constexpr UINT kTrayCallbackMessage = WM_APP + 1;
inline constexpr UINT kTrayIconId = 1;

} // namespace vtrl::win32
