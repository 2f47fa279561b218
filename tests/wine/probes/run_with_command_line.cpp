// Starts a program with an exact command line ("<program>" followed by one blank and the given
// text, blanks and all), waits for it up to a time limit, and prints how it ended:
// "exit=<code> ms=<elapsed>", or "timeout" after ending it.

#include "platform/win32/unique_handle.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fputs("usage: run_with_command_line PROGRAM TEXT [TIMEOUT_MS]\n", stderr);
        return 2;
    }
    const std::wstring program = argv[1];
    std::wstring commandLine = L"\"" + program + L"\" " + argv[2];
    const DWORD timeout = argc > 3 ? static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)) : 20000;

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        std::printf("cannot start: error %lu\n", GetLastError());
        return 1;
    }
    vtrl::win32::unique_kernel_handle processHandle(process.hProcess);
    vtrl::win32::unique_kernel_handle threadHandle(process.hThread);

    const ULONGLONG started = GetTickCount64();
    if (WaitForSingleObject(processHandle.get(), timeout) != WAIT_OBJECT_0) {
        TerminateProcess(processHandle.get(), 1);
        std::puts("timeout");
        return 1;
    }
    DWORD code = 0;
    GetExitCodeProcess(processHandle.get(), &code);
    std::printf("exit=%lu ms=%llu\n", code, GetTickCount64() - started);
    return 0;
}
