#include "platform/win32/win32_launcher.h"

#include "platform/win32/unique_handle.h"

#include <windows.h>

#include <shellapi.h>

#include <vector>

namespace vtrl::win32 {

bool Win32Launcher::ShellOpen(const std::wstring& target) {
    if (target.empty()) {
        return false;
    }
    // The shell may hand the request to COM or DDE, which want an apartment on this thread;
    // when the caller already has one this only balances the count.
    ComApartment apartment;
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

namespace {

bool StartWithShowState(const std::wstring& commandLine, WORD showWindow, DWORD creationFlags) {
    if (commandLine.empty()) {
        return false;
    }
    // CreateProcessW may write into the command line, so it gets its own copy.
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = showWindow;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, creationFlags, nullptr,
                        nullptr, &startup, &started)) {
        return false;
    }
    unique_kernel_handle process(started.hProcess);
    unique_kernel_handle thread(started.hThread);
    return true;
}

} // namespace

bool Win32Launcher::StartProgram(const std::wstring& commandLine) {
    return StartWithShowState(commandLine, SW_SHOWNORMAL, 0);
}

bool Win32Launcher::StartProgramHidden(const std::wstring& commandLine) {
    // A console program started from a windowed one would otherwise get a console window of its
    // own; SW_HIDE alone covers only windowed programs.
    return StartWithShowState(commandLine, SW_HIDE, CREATE_NO_WINDOW);
}

std::wstring Win32Launcher::WebBrowserCommand() {
    unique_hkey key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"HTTP\\shell\\open\\command", 0, KEY_QUERY_VALUE,
                      key.put()) != ERROR_SUCCESS) {
        return {};
    }
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(key.get(), nullptr, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || bytes == 0) {
        return {};
    }
    std::vector<wchar_t> data(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD size = static_cast<DWORD>((data.size() - 1) * sizeof(wchar_t));
    if (RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &size) != ERROR_SUCCESS) {
        return {};
    }
    return std::wstring(data.data());
}

} // namespace vtrl::win32
