#pragma once
// The one message loop of the program: it dispatches window messages with the dialog keyboard
// handling and, beside them, waits for kernel objects whose callbacks run on this thread.

#include <windows.h>

#include <functional>
#include <vector>

namespace vtrl::win32 {

class MessageLoop {
public:
    // A kernel object the loop waits for beside the window messages; the callback runs on this
    // thread each time it is signalled. Waits end when the callback returns false.
    void AddWait(HANDLE handle, std::function<bool()> signalled);
    void RemoveWait(HANDLE handle);

    // Handles messages and signalled waits while keepRunning holds, checked before each wait and
    // after each message; afterEach runs first and after each message and each wake.
    void Run(const std::function<bool()>& keepRunning, const std::function<void()>& afterEach);

private:
    struct Wait {
        HANDLE handle;
        std::function<bool()> signalled;
    };
    void RunSignalled(DWORD index);

    std::vector<Wait> waits_;
};

} // namespace vtrl::win32
