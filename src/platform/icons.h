#pragma once
// The shell's icons of files, and picture files, rendered as pictures.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vtrl::platform {

class Icons {
public:
    virtual ~Icons() = default;
    // The shell's icon for the file drawn into a size x size picture, as the bytes of a Windows
    // bitmap file (".bmp"); nullopt when the shell gives no icon for it.
    virtual std::optional<std::vector<std::uint8_t>> RenderIconBitmap(const std::wstring& path,
                                                                      int size) = 0;
    // A picture file (".jpg", ".png", ".bmp", ...) decoded at its own size, as the bytes of a
    // Windows bitmap file; nullopt when it is missing or cannot be decoded.
    virtual std::optional<std::vector<std::uint8_t>>
    RenderPictureFile(const std::wstring& path) = 0;
};

} // namespace vtrl::platform
