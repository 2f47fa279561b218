#pragma once
// Native windows for forms: a top-level window per form (Win32FormHost), a child window per
// control (Win32Control), and the one message loop that lives as long as any form.

#include "platform/ui/window_system.h"
#include "platform/win32/win32_background_work.h"
#include "platform/win32/win32_message_loop.h"

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
    // The same loop, left as well once reached() holds: for a caller outside every window's
    // handler (a test waiting for an answer), never from inside one.
    void RunMessageLoopUntil(const std::function<bool()>& reached);
    std::optional<std::wstring> ChooseOpenFile(const ui::Form* owner,
                                               const ui::OpenFileRequest& request) override;

    // A kernel object the loop waits for beside the window messages; the callback runs on this
    // thread each time it is signalled. Waits end when the callback returns false.
    void AddWait(HANDLE handle, std::function<bool()> signalled) {
        loop_.AddWait(handle, std::move(signalled));
    }
    void RemoveWait(HANDLE handle) { loop_.RemoveWait(handle); }

    // Runs work on a worker thread; done runs from the message loop once it has ended, unless
    // the form's window is gone by then.
    void RunAside(const ui::Form& form, std::function<void()> work, std::function<void()> done) {
        work_.Start(&form, std::move(work), std::move(done));
    }

    // The host's window is gone: its form is dropped after the current message.
    void FormDestroyed(const ui::Form& form);

private:
    struct Entry {
        std::unique_ptr<ui::Form> form;
        std::unique_ptr<Win32FormHost> host;
        bool destroyed = false;
    };
    bool AnyFormOpen() const;
    void Reap();

    std::vector<Entry> entries_;
    MessageLoop loop_;
    BackgroundWork work_{loop_};
};

} // namespace vtrl::win32
