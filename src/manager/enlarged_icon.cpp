#include "manager/enlarged_icon.h"

#include <climits>

namespace vtrl::manager {
namespace {

// At 96 DPI one pixel is 15 twips; pictures are sized in those pixels at every DPI.
constexpr int kTwipsPerBitmapPixel = 15;

std::int32_t ReadInt32(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(bytes[offset + i]) << (8 * i);
    }
    return static_cast<std::int32_t>(value);
}

} // namespace

std::optional<PixelSize> BitmapPixelSize(const std::vector<std::uint8_t>& bitmapFile) {
    // BITMAPFILEHEADER (14 bytes), then the info header's size, width and height.
    constexpr std::size_t kInfoHeader = 14;
    if (bitmapFile.size() < kInfoHeader + 12 || bitmapFile[0] != 'B' || bitmapFile[1] != 'M') {
        return std::nullopt;
    }
    const std::int32_t headerSize = ReadInt32(bitmapFile, kInfoHeader);
    if (headerSize < 40 || bitmapFile.size() < kInfoHeader + 40) {
        return std::nullopt;
    }
    const std::int32_t width = ReadInt32(bitmapFile, kInfoHeader + 4);
    std::int32_t height = ReadInt32(bitmapFile, kInfoHeader + 8);
    // A negative height only says the rows run top-down.
    if (height < 0 && height > INT32_MIN) {
        height = -height;
    }
    if (width <= 0 || height <= 0 || width > 4096 || height > 4096) {
        return std::nullopt;
    }
    return PixelSize{width, height};
}

bool ShowIconEnlarged(ui::Control& image, int factor, const std::vector<std::uint8_t>& bitmapFile) {
    const auto size = BitmapPixelSize(bitmapFile);
    if (!size) {
        return false;
    }
    // The image grows to the left and down: its right edge stays where the page put it.
    ui::TwipsRect rect = image.Rect();
    const int right = rect.left + rect.width;
    rect.width = size->width * kTwipsPerBitmapPixel * factor;
    rect.height = size->height * kTwipsPerBitmapPixel * factor;
    rect.left = right - rect.width;
    image.SetVisible(false);
    image.SetStretch(true);
    image.SetPicture(bitmapFile);
    image.Move(rect);
    image.SetVisible(true);
    return true;
}

} // namespace vtrl::manager
