#pragma once

#include "platform/environment.h"

namespace vtrl::win32 {

// The process's own environment, which the user's logon gave it.
class Win32Environment final : public platform::Environment {
public:
    std::wstring Expand(const std::wstring& text) override;
    std::optional<std::wstring> Variable(const std::wstring& name) override;

private:
    // Beyond what the system expands in one call (a value of a megabyte is possible).
    std::wstring ExpandLong(const std::wstring& text);
};

} // namespace vtrl::win32
