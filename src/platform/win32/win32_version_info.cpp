#include "platform/win32/win32_version_info.h"

#include "platform/win32/win32_folders.h"

#include <windows.h>

#include <vector>

namespace vtrl::win32 {

std::optional<platform::ModuleVersion> Win32VersionInfo::OwnVersion() {
    const std::wstring path = OwnExecutablePath();
    if (path.empty()) {
        return std::nullopt;
    }
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) {
        return std::nullopt;
    }
    std::vector<unsigned char> block(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) {
        return std::nullopt;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedLength = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedLength) ||
        fixed == nullptr || fixedLength < sizeof(VS_FIXEDFILEINFO)) {
        return std::nullopt;
    }
    return platform::ModuleVersion{static_cast<int>(HIWORD(fixed->dwFileVersionMS)),
                                   static_cast<int>(LOWORD(fixed->dwFileVersionMS))};
}

std::optional<std::vector<std::uint8_t>>
Win32VersionInfo::ReadVersionBlock(const std::wstring& path) {
    if (path.empty() || path.find(L'\0') != std::wstring::npos) {
        return std::nullopt;
    }
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> block(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) {
        return std::nullopt;
    }
    return block;
}

} // namespace vtrl::win32
