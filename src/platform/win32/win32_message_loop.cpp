#include "platform/win32/win32_message_loop.h"

#include <algorithm>

namespace vtrl::win32 {

void MessageLoop::AddWait(HANDLE handle, std::function<bool()> signalled) {
    RemoveWait(handle);
    waits_.push_back({handle, std::move(signalled)});
}

void MessageLoop::RemoveWait(HANDLE handle) {
    std::erase_if(waits_, [handle](const Wait& wait) { return wait.handle == handle; });
}

void MessageLoop::RunSignalled(DWORD index) {
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

void MessageLoop::Run(const std::function<bool()>& keepRunning,
                      const std::function<void()>& afterEach) {
    afterEach();
    while (keepRunning()) {
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
                afterEach();
                return;
            }
            // Tab, Shift+Tab, Enter and the arrows move between a window's controls as in a
            // dialog; IsDialogMessageW dispatches what it handles itself.
            const HWND root =
                message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
            if (root == nullptr || !IsDialogMessageW(root, &message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            afterEach();
            if (!keepRunning()) {
                break;
            }
        }
        afterEach();
    }
}

} // namespace vtrl::win32
