#pragma once

#include "platform/clipboard.h"
#include "platform/win32/unique_handle.h"

#include <windows.h>

namespace vtrl::win32 {

class Win32Clipboard final : public platform::Clipboard {
public:
    Win32Clipboard() = default;
    Win32Clipboard(const Win32Clipboard&) = delete;
    Win32Clipboard& operator=(const Win32Clipboard&) = delete;

    bool PutText(const std::wstring& text) override;
    std::optional<std::wstring> Text() override;

private:
    // The clipboard keeps data only for an owner window: a message-only one, made when first
    // needed and kept, so that what was put stays after the call.
    HWND Owner();
    unique_window owner_;
};

} // namespace vtrl::win32
