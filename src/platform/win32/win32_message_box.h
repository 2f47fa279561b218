#pragma once

#include "platform/message_box.h"

namespace vtrl::win32 {

class Win32MessageBoxes final : public platform::MessageBoxes {
public:
    platform::MessageAnswer Show(const std::wstring& text, const std::wstring& caption,
                                 platform::MessageIcon icon,
                                 platform::MessageButtons buttons) override;
};

} // namespace vtrl::win32
