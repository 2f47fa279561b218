#pragma once

#include "platform/launcher.h"

namespace vtrl::win32 {

class Win32Launcher final : public platform::Launcher {
public:
    bool ShellOpen(const std::wstring& target) override;
    bool StartProgram(const std::wstring& commandLine) override;
    bool StartProgramHidden(const std::wstring& commandLine) override;
    std::wstring WebBrowserCommand() override;
    std::optional<std::wstring> AssociatedProgram(const std::wstring& path) override;
    bool ShowFileProperties(const std::wstring& path) override;
};

} // namespace vtrl::win32
