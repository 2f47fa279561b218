#pragma once

#include "platform/environment.h"

namespace vtrl::win32 {

// The process's own environment, which the user's logon gave it.
class Win32Environment final : public platform::Environment {
public:
    std::wstring Expand(const std::wstring& text) override;
    std::optional<std::wstring> Variable(const std::wstring& name) override;
};

} // namespace vtrl::win32
