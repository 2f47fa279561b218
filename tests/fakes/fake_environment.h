#pragma once
// Environment variables in memory, expanded by Windows' rules: %NAME% of a defined variable
// (names compared without regard to case) becomes its value, anything else stays.

#include "fakes/fake_system.h"
#include "platform/environment.h"

#include <map>

namespace vtrl::fakes {

class FakeEnvironment final : public platform::Environment {
public:
    std::wstring Expand(const std::wstring& text) override {
        return platform::ExpandNames(text,
                                     [this](const std::wstring& name) { return Variable(name); });
    }
    std::optional<std::wstring> Variable(const std::wstring& name) override {
        const auto found = variables.find(FoldCase(name));
        if (found == variables.end() || name.empty()) {
            return std::nullopt;
        }
        return found->second;
    }
    void Set(const std::wstring& name, const std::wstring& value) {
        variables[FoldCase(name)] = value;
    }

    std::map<std::wstring, std::wstring> variables; // by folded (lower-case) name
};

} // namespace vtrl::fakes
