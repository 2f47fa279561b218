#include "platform/win32/win32_processes.h"

#include "platform/win32/unique_handle.h"

#include <windows.h>
#include <tlhelp32.h>

namespace vtrl::win32 {

namespace {

// The process table changes while it is walked only in the snapshot's copy, which is finite;
// the bound guards against a broken implementation that never ends the walk.
constexpr int kMaxProcesses = 1'000'000;

} // namespace

std::optional<std::vector<std::wstring>> Win32Processes::RunningProcessNames() {
    const unique_snapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        return std::nullopt;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    if (!Process32FirstW(snapshot.get(), &entry)) {
        return std::nullopt;
    }
    std::vector<std::wstring> names;
    for (int count = 0; count < kMaxProcesses; ++count) {
        // szExeFile is a fixed array; never trust it to hold a NUL.
        const wchar_t* begin = entry.szExeFile;
        const wchar_t* end = begin;
        while (end != begin + MAX_PATH && *end != L'\0') {
            ++end;
        }
        names.emplace_back(begin, end);
        entry.dwSize = sizeof(entry);
        if (!Process32NextW(snapshot.get(), &entry)) {
            break;
        }
    }
    return names;
}

} // namespace vtrl::win32
