#pragma once
// A process table set up by the test.

#include "platform/processes.h"

#include <cstddef>

namespace vtrl::fakes {

class FakeProcesses final : public platform::Processes {
public:
    std::optional<std::vector<std::wstring>> RunningProcessNames() override {
        ++snapshots;
        if (fail) {
            return std::nullopt;
        }
        return names;
    }

    std::vector<std::wstring> names{L"System", L"smss.exe", L"explorer.exe"};
    bool fail = false;
    std::size_t snapshots = 0; // calls so far
};

} // namespace vtrl::fakes
