#pragma once
// The shell's icons of files, rendered as pictures.

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
};

} // namespace vtrl::platform
