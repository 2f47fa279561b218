#pragma once

#include "platform/desktop.h"

namespace vtrl::win32 {

class Win32Desktop final : public platform::Desktop {
public:
    void CloseWindowByTitle(const std::wstring& caption, bool quit) override;
    bool WindowExists(const std::wstring& caption) override;
};

} // namespace vtrl::win32
