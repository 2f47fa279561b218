#pragma once
// Drawing the pictures forms hold (".bmp" file bytes) onto a device context.

#include <windows.h>

#include <cstdint>
#include <vector>

namespace vtrl::win32 {

// Draws the bytes of a ".bmp" file at the given place, scaled with the DPI or, when a stretch
// size is given, to that size. A file that fails CheckBitmapFile is not drawn: false then.
bool DrawBitmapFile(HDC dc, const std::vector<std::uint8_t>& file, int x, int y, int dpi,
                    const SIZE* stretchTo = nullptr);

} // namespace vtrl::win32
