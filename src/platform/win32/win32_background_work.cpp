#include "platform/win32/win32_background_work.h"

#include <algorithm>

namespace vtrl::win32 {

BackgroundWork::~BackgroundWork() {
    for (const auto& task : tasks_) {
        loop_.RemoveWait(task->thread.get());
        WaitForSingleObject(task->thread.get(), INFINITE);
    }
}

DWORD WINAPI BackgroundWork::ThreadMain(void* task) noexcept {
    // The work may use the shell's objects (shortcuts, known folders), as the form's thread does.
    const ComApartment com;
    try {
        static_cast<Task*>(task)->work();
    } catch (...) {
        // A failing piece of work ends its thread, never the process.
    }
    return 0;
}

void BackgroundWork::Start(const void* owner, std::function<void()> work,
                           std::function<void()> done) {
    auto task = std::make_unique<Task>(Task{owner, std::move(work), std::move(done), {}});
    task->thread.reset(CreateThread(nullptr, 0, &ThreadMain, task.get(), 0, nullptr));
    if (!task->thread) {
        task->work();
        task->done();
        return;
    }
    const Task* started = task.get();
    loop_.AddWait(task->thread.get(), [this, started] {
        Finish(started);
        return false;
    });
    tasks_.push_back(std::move(task));
}

void BackgroundWork::Forget(const void* owner) {
    for (const auto& task : tasks_) {
        if (task->owner == owner) {
            task->done = nullptr;
        }
    }
}

bool BackgroundWork::Holds(const void* owner) const {
    return std::any_of(tasks_.begin(), tasks_.end(),
                       [owner](const auto& task) { return task->owner == owner; });
}

void BackgroundWork::Finish(const Task* task) {
    const auto found = std::find_if(tasks_.begin(), tasks_.end(),
                                    [task](const auto& held) { return held.get() == task; });
    if (found == tasks_.end()) {
        return;
    }
    // The thread handle stays open while done runs: work done starts cannot get its value, which
    // the loop drops from its waits after this returns.
    const std::function<void()> done = std::move((*found)->done);
    if (done) {
        try {
            done();
        } catch (...) {
            // A failing completion loses its event, never the loop.
        }
    }
    std::erase_if(tasks_, [task](const auto& held) { return held.get() == task; });
}

} // namespace vtrl::win32
