#pragma once

#include "platform/files.h"
#include "platform/win32/win32_reparse_guard.h"

namespace vtrl::win32 {

class Win32FileSystem final : public platform::FileSystem {
public:
    bool FileExists(const std::wstring& path) override;
    bool FolderExists(const std::wstring& path) override;
    bool CreateFolder(const std::wstring& path) override;
    std::optional<std::string> ReadAll(const std::wstring& path) override;
    bool ReplaceAll(const std::wstring& path, std::string_view bytes) override;
    bool Overwrite(const std::wstring& path, std::string_view bytes) override;
    bool CreateNewEmpty(const std::wstring& path) override;
    bool Remove(const std::wstring& path) override;
    bool RemoveEmptyFolder(const std::wstring& path) override;
    std::optional<std::uint64_t> FileSize(const std::wstring& path) override;
    std::optional<std::uint64_t> LastWriteTime(const std::wstring& path) override;
    std::vector<platform::FolderEntry> ListFolder(const std::wstring& folder,
                                                  const std::wstring& pattern) override;
    void RefuseReparsePointsIn(const std::wstring& folder, const std::wstring& root) override;
    std::optional<std::uint32_t> FileAttributes(const std::wstring& path) override;
    bool ChangeAttributes(const std::wstring& path, std::uint32_t attributes) override;

private:
    ReparseGuard guard_;
};

} // namespace vtrl::win32
