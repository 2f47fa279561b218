#include "platform/win32/win32_ini_file.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace vtrl::win32 {

std::wstring Win32IniFiles::ReadString(const std::wstring& section, const std::wstring& key,
                                       const std::wstring& file, std::size_t bufferLength) {
    if (bufferLength == 0 || section.empty() || key.empty() || file.empty()) {
        return {};
    }
    std::vector<wchar_t> buffer(bufferLength, L'\0');
    const DWORD copied = GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer.data(),
                                                  static_cast<DWORD>(buffer.size()), file.c_str());
    return std::wstring(buffer.data(), std::min<std::size_t>(copied, bufferLength - 1));
}

} // namespace vtrl::win32
