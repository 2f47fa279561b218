#pragma once

#include "platform/ini_file.h"

namespace vtrl::win32 {

class Win32IniFiles final : public platform::IniFiles {
public:
    std::wstring ReadString(const std::wstring& section, const std::wstring& key,
                            const std::wstring& file, std::size_t bufferLength) override;
};

} // namespace vtrl::win32
