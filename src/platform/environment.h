#pragma once
// The user's environment variables as Windows expands them in a command.

#include <functional>
#include <optional>
#include <string>

namespace vtrl::platform {

class Environment {
public:
    virtual ~Environment() = default;
    // Every %NAME% of a defined variable replaced by its value, names compared without regard to
    // case; a %NAME% of an undefined variable stays as it is, as Windows leaves it.
    virtual std::wstring Expand(const std::wstring& text) = 0;
    // The value of one variable; nullopt when it is not defined.
    virtual std::optional<std::wstring> Variable(const std::wstring& name) = 0;
};

// Windows' rule for %NAME%, with the variables looked up one by one: a defined name becomes its
// value; otherwise the first sign stays and the closing one may open the next name.
inline std::wstring
ExpandNames(const std::wstring& text,
            const std::function<std::optional<std::wstring>(const std::wstring&)>& lookup) {
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
        const std::wstring name = text.substr(open + 1, close - open - 1);
        const auto value = name.empty() ? std::nullopt : lookup(name);
        if (value) {
            result += *value;
            from = close + 1;
        } else {
            result.append(text, open, close - open);
            from = close;
        }
    }
    return result;
}

} // namespace vtrl::platform
