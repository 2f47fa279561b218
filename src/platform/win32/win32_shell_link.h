#pragma once

#include "platform/shell_link.h"

namespace vtrl::win32 {

// Needs COM initialised on the calling thread (the entry does that once).
class Win32ShellLinks final : public platform::ShellLinks {
public:
    bool CreateLink(const platform::LinkSpec& link) override;
    std::optional<platform::LinkTarget> ReadLink(const std::wstring& linkPath) override;
};

} // namespace vtrl::win32
