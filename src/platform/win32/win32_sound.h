#pragma once

#include "platform/sound.h"

namespace vtrl::win32 {

class Win32Sound final : public platform::Sound {
public:
    bool PlayFileAsync(const std::wstring& path) override;
};

} // namespace vtrl::win32
