#pragma once

#include "platform/folders.h"

namespace vtrl::win32 {

class Win32Folders final : public platform::Folders {
public:
    platform::FolderAnswer SpecialFolder(int csidl) override;
    std::optional<std::wstring> KnownFolderPath(platform::KnownFolder folder) override;
    std::optional<std::wstring> TempPath() override;
    std::optional<std::wstring> LongPath(const std::wstring& path) override;
    std::optional<std::wstring> ShortPath(const std::wstring& path) override;
    std::optional<std::wstring> CreateUniqueFolder(const std::wstring& parent,
                                                   const std::wstring& prefix) override;
    std::wstring ProgramFolder() override;
    std::wstring ProgramName() override;
};

// The full path of the running executable.
std::wstring OwnExecutablePath();

} // namespace vtrl::win32
