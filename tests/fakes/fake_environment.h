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
        std::wstring result;
        std::size_t from = 0;
        while (from < text.size()) {
            const std::size_t open = text.find(L'%', from);
            const std::size_t close =
                open == std::wstring::npos ? std::wstring::npos : text.find(L'%', open + 1);
            if (close == std::wstring::npos) {
                result.append(text, from, std::wstring::npos);
                break;
            }
            result.append(text, from, open - from);
            const auto value = Variable(text.substr(open + 1, close - open - 1));
            if (value) {
                result += *value;
                from = close + 1;
            } else {
                // The closing sign may open the next name, as it does for Windows.
                result += L'%';
                from = open + 1;
                result.append(text, from, close - from);
                from = close;
            }
        }
        return result;
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
