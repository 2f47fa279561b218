#pragma once

#include "platform/icons.h"

namespace vtrl::win32 {

// Icons from the shell's system image list, drawn with GDI onto the button-face background a
// picture box has, and encoded as a 24-bit bottom-up bitmap file.
class Win32Icons final : public platform::Icons {
public:
    std::optional<std::vector<std::uint8_t>> RenderIconBitmap(const std::wstring& path,
                                                              int size) override;
    // Decoded with the Windows Imaging Component.
    std::optional<std::vector<std::uint8_t>> RenderPictureFile(const std::wstring& path) override;
};

} // namespace vtrl::win32
