#pragma once
// A process table set up by the test; ended processes leave it, as on Windows.

#include "platform/processes.h"

#include <algorithm>
#include <cstddef>

namespace vtrl::fakes {

class FakeProcesses final : public platform::Processes {
public:
    std::optional<std::vector<platform::RunningProcess>> RunningProcesses() override {
        ++snapshots;
        if (fail) {
            return std::nullopt;
        }
        return processes;
    }
    // Like Windows, compares the path the process has now, ignoring case (ASCII suffices here).
    bool EndProcess(std::uint32_t id, const std::wstring& imagePath) override {
        const auto found = std::find_if(processes.begin(), processes.end(), [&](const auto& p) {
            return p.id == id && !p.imagePath.empty() && Fold(p.imagePath) == Fold(imagePath);
        });
        if (found == processes.end()) {
            return false;
        }
        ended.push_back(*found);
        processes.erase(found);
        return true;
    }

    // Adds a process started from the full path, or with only a file name when the path is
    // unreadable (no backslash); returns its id.
    std::uint32_t Start(const std::wstring& pathOrName) {
        const std::size_t slash = pathOrName.find_last_of(L'\\');
        const std::uint32_t id = nextId++;
        processes.push_back(
            {id, slash == std::wstring::npos ? pathOrName : pathOrName.substr(slash + 1),
             slash == std::wstring::npos ? std::wstring() : pathOrName});
        return id;
    }

    std::vector<platform::RunningProcess> processes{
        {4, L"System", L""},
        {100, L"smss.exe", L""},
        {200, L"explorer.exe", L"C:\\Windows\\explorer.exe"}};
    std::vector<platform::RunningProcess> ended; // in the order they were ended
    bool fail = false;
    std::size_t snapshots = 0; // listings so far
    std::uint32_t nextId = 1000;

private:
    static std::wstring Fold(std::wstring text) {
        for (wchar_t& character : text) {
            if (character >= L'A' && character <= L'Z') {
                character = static_cast<wchar_t>(character - L'A' + L'a');
            }
        }
        return text;
    }
};

} // namespace vtrl::fakes
