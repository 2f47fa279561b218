#include "inventory/run_once_ex_entry.h"

namespace vtrl::inventory {

RunOnceExEntry ParseRunOnceExEntry(const std::wstring& text) {
    RunOnceExEntry entry;
    const std::size_t first = text.find(L'|');
    if (first == std::wstring::npos) {
        entry.commandLine = text;
        return entry;
    }
    if (first == 0) {
        // "||command": no DLL, so the third field is a program's command line.
        const std::size_t second = text.find(L'|', 1);
        entry.commandLine = second == std::wstring::npos ? text.substr(1) : text.substr(second + 1);
        return entry;
    }
    entry.dllCall = true;
    entry.dll = text.substr(0, first);
    entry.arguments = text.substr(first + 1);
    return entry;
}

} // namespace vtrl::inventory
