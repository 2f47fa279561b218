// Work a form starts aside before it has its window: it runs on a worker while the window is
// made, its end is handled by the one message loop after the load, and a form whose window is
// gone stays in memory until that work has ended.

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_platform.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace vtrl {
namespace {

struct Seen {
    std::atomic<bool> hostAtInitialize{true};
    std::atomic<DWORD> workThread{0};
    std::atomic<bool> loadedWhenDone{false};
    std::atomic<bool> doneRan{false};
    std::atomic<bool> formAliveInWork{false};
    std::atomic<bool> formDestroyed{false};
};

class EarlyWorker final : public ui::Form {
public:
    // The work waits for release (when given) and then looks whether the form is still there.
    EarlyWorker(Seen& seen, HANDLE release)
        : ui::Form(L"Early worker", 3000, 1200, ui::FormStyle::Hidden), seen_(seen),
          release_(release) {}
    ~EarlyWorker() override { seen_.formDestroyed = true; }

    void Form_Initialize(ui::AsideWork& aside) override {
        seen_.hostAtInitialize = Host() != nullptr;
        aside.RunAside(
            [this] {
                seen_.workThread = GetCurrentThreadId();
                if (release_ != nullptr) {
                    WaitForSingleObject(release_, 10000);
                }
                seen_.formAliveInWork = !seen_.formDestroyed;
            },
            [this] {
                seen_.loadedWhenDone = loaded_;
                seen_.doneRan = true;
                Unload();
            });
    }
    void Form_Load() override { loaded_ = true; }

private:
    Seen& seen_;
    HANDLE release_;
    bool loaded_ = false;
};

TEST(RealAsideWork, WorkStartedBeforeTheWindowRunsOnAWorkerAndEndsAfterTheLoad) {
    Seen seen;
    {
        win32::Win32Platform real;
        win32::Win32WindowSystem& windows = real.Windows();
        windows.Load(std::make_unique<EarlyWorker>(seen, nullptr));
        const ULONGLONG started = GetTickCount64();
        windows.RunMessageLoopUntil(
            [&] { return seen.doneRan.load() || GetTickCount64() - started > 5000; });
    }
    EXPECT_FALSE(seen.hostAtInitialize);
    EXPECT_NE(seen.workThread.load(), 0u);
    EXPECT_NE(seen.workThread.load(), GetCurrentThreadId());
    EXPECT_TRUE(seen.doneRan);
    EXPECT_TRUE(seen.loadedWhenDone);
}

TEST(RealAsideWork, AFormWhoseWindowIsGoneStaysUntilItsWorkHasEnded) {
    Seen seen;
    const win32::unique_kernel_handle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(release);
    {
        win32::Win32Platform real;
        win32::Win32WindowSystem& windows = real.Windows();
        ui::Form& form = windows.Load(std::make_unique<EarlyWorker>(seen, release.get()));
        form.Unload();
        // The loop drops forms whose window is gone; this one's work still runs.
        windows.RunMessageLoop();
        EXPECT_FALSE(seen.formDestroyed);
        SetEvent(release.get());
    }
    EXPECT_TRUE(seen.formAliveInWork);
    EXPECT_TRUE(seen.formDestroyed);
    // Its window was gone: what was to follow the work was dropped.
    EXPECT_FALSE(seen.doneRan);
}

} // namespace
} // namespace vtrl
