#pragma once
// An executable's icon bitmap shown enlarged on the record page: the bitmap's natural size read
// from its header, and the image grown by a factor from there.

#include "platform/ui/control.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace vtrl::manager {

struct PixelSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelSize&, const PixelSize&) = default;
};
// The width and height of a Windows bitmap file; nullopt for bytes that are not one.
std::optional<PixelSize> BitmapPixelSize(const std::vector<std::uint8_t>& bitmapFile);

// Shows a bitmap in an image at factor times its natural size (pixels at 96 DPI, 15 twips
// each), stretched, keeping the image's right edge; an unreadable bitmap leaves the image as it
// was. False then.
bool ShowIconEnlarged(ui::Control& image, int factor, const std::vector<std::uint8_t>& bitmapFile);

} // namespace vtrl::manager
