#include "platform/win32/win32_bitmap_drawing.h"

#include "platform/ui/bitmap_file.h"
#include "platform/win32/win32_window_basics.h"

namespace vtrl::win32 {

bool DrawBitmapFile(HDC dc, const std::vector<std::uint8_t>& file, int x, int y, int dpi,
                    const SIZE* stretchTo) {
    const std::optional<ui::BitmapFileLayout> layout = ui::CheckBitmapFile(file);
    if (!layout) {
        return false;
    }
    const auto* info = reinterpret_cast<const BITMAPINFO*>(file.data() + layout->infoOffset);
    const int drawnWidth =
        stretchTo != nullptr ? stretchTo->cx : MulDiv(layout->width, dpi, kDefaultDpi);
    const int drawnHeight =
        stretchTo != nullptr ? stretchTo->cy : MulDiv(layout->height, dpi, kDefaultDpi);
    SetStretchBltMode(dc, HALFTONE);
    return StretchDIBits(dc, x, y, drawnWidth, drawnHeight, 0, 0, layout->width, layout->height,
                         file.data() + layout->pixelOffset, info, DIB_RGB_COLORS, SRCCOPY) != 0;
}

} // namespace vtrl::win32
