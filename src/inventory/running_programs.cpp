#include "inventory/running_programs.h"

#include "inventory/command_resolution.h"

namespace vtrl::inventory {

std::vector<platform::RunningProcess> ListRunningProcesses(platform::Processes& processes) {
    return processes.RunningProcesses().value_or(std::vector<platform::RunningProcess>{});
}

std::wstring ComparablePath(platform::Locale& locale, const std::wstring& path) {
    std::wstring result = path;
    for (wchar_t& character : result) {
        if (character == L'/') {
            character = L'\\';
        }
    }
    // The long-path forms name the same file as the plain ones.
    if (result.starts_with(L"\\\\?\\UNC\\")) {
        result.replace(0, 8, L"\\\\");
    } else if (result.starts_with(L"\\\\?\\")) {
        result.erase(0, 4);
    }
    return locale.ToLower(result);
}

std::vector<platform::RunningProcess>
ProcessesStartedFrom(platform::Locale& locale, const std::vector<platform::RunningProcess>& running,
                     const std::wstring& path) {
    std::vector<platform::RunningProcess> found;
    const std::wstring wanted = ComparablePath(locale, path);
    for (const platform::RunningProcess& process : running) {
        if (!process.imagePath.empty() && ComparablePath(locale, process.imagePath) == wanted) {
            found.push_back(process);
        }
    }
    return found;
}

bool IsProgramRunning(platform::Locale& locale,
                      const std::vector<platform::RunningProcess>& running,
                      const std::wstring& path) {
    if (!ProcessesStartedFrom(locale, running, path).empty()) {
        return true;
    }
    const std::wstring name = locale.ToLower(LastPathComponent(path));
    for (const platform::RunningProcess& process : running) {
        if (process.imagePath.empty() && locale.ToLower(process.exeFile) == name) {
            return true;
        }
    }
    return false;
}

RunningProgramIndex::RunningProgramIndex(platform::Locale& locale,
                                         const std::vector<platform::RunningProcess>& running) {
    for (const platform::RunningProcess& process : running) {
        if (process.imagePath.empty()) {
            pathlessNames_.insert(locale.ToLower(process.exeFile));
        } else {
            paths_.insert(ComparablePath(locale, process.imagePath));
        }
    }
}

bool RunningProgramIndex::IsRunning(platform::Locale& locale, const std::wstring& path) const {
    return paths_.contains(ComparablePath(locale, path)) ||
           (!pathlessNames_.empty() &&
            pathlessNames_.contains(locale.ToLower(LastPathComponent(path))));
}

} // namespace vtrl::inventory
