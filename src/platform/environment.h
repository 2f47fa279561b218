#pragma once
// The user's environment variables as Windows expands them in a command.

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

} // namespace vtrl::platform
