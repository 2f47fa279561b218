#pragma once
// Work that runs on a thread of its own while the message loop goes on: the loop waits for the
// thread's end among its kernel objects and then runs the work's completion on its own thread.

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_message_loop.h"

#include <functional>
#include <memory>
#include <vector>

namespace vtrl::win32 {

class BackgroundWork {
public:
    explicit BackgroundWork(MessageLoop& loop) : loop_(loop) {}
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;
    // Waits for the threads still running: their work may refer to what is destroyed next.
    ~BackgroundWork();

    // Starts work on a new thread; done runs from the loop once it has ended. Without a thread
    // both run here at once, so the work is never lost. owner names who done belongs to.
    void Start(const void* owner, std::function<void()> work, std::function<void()> done);
    // The owner is gone: the completions of its work still running are dropped.
    void Forget(const void* owner);
    // Work of the owner has not ended yet, or its end has not been handled by the loop.
    bool Holds(const void* owner) const;

private:
    struct Task {
        const void* owner;
        std::function<void()> work;
        std::function<void()> done;
        unique_kernel_handle thread;
    };
    static DWORD WINAPI ThreadMain(void* task) noexcept;
    void Finish(const Task* task);

    MessageLoop& loop_;
    std::vector<std::unique_ptr<Task>> tasks_;
};

} // namespace vtrl::win32
