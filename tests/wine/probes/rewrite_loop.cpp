// The crash test's child: rewrites ActionsDB.txt and BackupAndLog.txt in the given folder, in
// turn between their two known contents, until it is killed. After the first full round it
// signals the named event, if one is given. It ends by itself after a while, so that a test that
// dies first leaves no writer behind.
//
//   rewrite_loop FOLDER [EVENT_NAME]

#include "platform/win32/unique_handle.h"
#include "rewrite_steps.h"

#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fputs("usage: rewrite_loop FOLDER [EVENT_NAME]\n", stderr);
        return 2;
    }
    const std::wstring folder = argv[1];
    vtrl::win32::unique_kernel_handle ready;
    if (argc > 2) {
        ready.reset(OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]));
    }
    vtrl::crashtest::RewritePlatform rewrite;
    auto& platform = rewrite.Get();

    constexpr ULONGLONG kLifetimeMs = 15000;
    const ULONGLONG started = GetTickCount64();
    while (GetTickCount64() - started < kLifetimeMs) {
        const bool written = vtrl::crashtest::WriteOneDecision(platform, folder) &&
                             vtrl::crashtest::LogFirstRemoval(platform, folder) &&
                             vtrl::crashtest::WriteTwoDecisions(platform, folder) &&
                             vtrl::crashtest::LogSecondRemoval(platform, folder);
        if (!written) {
            std::fputs("rewrite_loop: a rewrite failed\n", stderr);
            return 1;
        }
        if (ready) {
            SetEvent(ready.get());
            ready.reset();
        }
    }
    return 0;
}
