#include "platform/win32/win32_processes.h"

#include "platform/win32/unique_handle.h"

#include <windows.h>
#include <tlhelp32.h>

namespace vtrl::win32 {

namespace {

// The process table changes while it is walked only in the snapshot's copy, which is finite;
// the bound guards against a broken implementation that never ends the walk.
constexpr int kMaxProcesses = 1'000'000;
// Longest path the wide API can return.
constexpr DWORD kLongestPath = 32768;

std::wstring ImagePathOf(HANDLE process) {
    std::wstring path(kLongestPath, L'\0');
    DWORD length = kLongestPath;
    if (!QueryFullProcessImageNameW(process, 0, path.data(), &length) || length >= kLongestPath) {
        return {};
    }
    path.resize(length);
    return path;
}

// Empty when the process is gone or this user may not ask (other users' and protected
// processes): the caller then knows the name only.
std::wstring ImagePathOf(DWORD id) {
    const unique_kernel_handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    return process ? ImagePathOf(process.get()) : std::wstring();
}

} // namespace

std::optional<std::vector<platform::RunningProcess>> Win32Processes::RunningProcesses() {
    const unique_snapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        return std::nullopt;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    if (!Process32FirstW(snapshot.get(), &entry)) {
        return std::nullopt;
    }
    std::vector<platform::RunningProcess> processes;
    for (int count = 0; count < kMaxProcesses; ++count) {
        // szExeFile is a fixed array; never trust it to hold a NUL.
        const wchar_t* begin = entry.szExeFile;
        const wchar_t* end = begin;
        while (end != begin + MAX_PATH && *end != L'\0') {
            ++end;
        }
        processes.push_back(
            {entry.th32ProcessID, std::wstring(begin, end),
             entry.th32ProcessID == 0 ? std::wstring() : ImagePathOf(entry.th32ProcessID)});
        entry.dwSize = sizeof(entry);
        if (!Process32NextW(snapshot.get(), &entry)) {
            break;
        }
    }
    return processes;
}

bool Win32Processes::EndProcess(std::uint32_t id, const std::wstring& imagePath) {
    if (id == 0 || id == GetCurrentProcessId() || imagePath.empty()) {
        return false;
    }
    const unique_kernel_handle process(
        OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    if (!process) {
        return false;
    }
    // The same handle is asked and ended, so the answer cannot go stale in between.
    if (CompareStringOrdinal(ImagePathOf(process.get()).c_str(), -1, imagePath.c_str(), -1, TRUE) !=
        CSTR_EQUAL) {
        return false;
    }
    return TerminateProcess(process.get(), 1) != FALSE;
}

} // namespace vtrl::win32
