#include "platform/ui/bitmap_file.h"

#include <array>

namespace vtrl::ui {

namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kInfoHeaderBytes = 40;
constexpr std::uint16_t kBitmapMagic = 0x4D42; // "BM"
constexpr std::uint32_t kUncompressed = 0;     // BI_RGB
constexpr std::size_t kColourEntryBytes = 4;   // RGBQUAD
// BITMAPINFOHEADER and its later versions (V2, V3, V4, V5): the fields read below are the same.
constexpr std::array<std::uint32_t, 5> kKnownInfoSizes = {40, 52, 56, 108, 124};

std::uint32_t Read32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) |
           (static_cast<std::uint32_t>(bytes[at + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[at + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

std::uint16_t Read16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

} // namespace

std::optional<BitmapFileLayout> CheckBitmapFile(const std::vector<std::uint8_t>& file) {
    if (file.size() < kFileHeaderBytes + kInfoHeaderBytes || Read16(file, 0) != kBitmapMagic) {
        return std::nullopt;
    }
    const std::uint32_t pixelOffset = Read32(file, 10);
    const std::size_t info = kFileHeaderBytes;
    const std::uint32_t infoSize = Read32(file, info);
    bool knownSize = false;
    for (const std::uint32_t size : kKnownInfoSizes) {
        knownSize = knownSize || size == infoSize;
    }
    if (!knownSize || infoSize > file.size() - info) {
        return std::nullopt;
    }
    // Signed 32-bit fields, widened so that the most negative height has a magnitude.
    const auto width = static_cast<std::int64_t>(static_cast<std::int32_t>(Read32(file, info + 4)));
    const auto rawHeight =
        static_cast<std::int64_t>(static_cast<std::int32_t>(Read32(file, info + 8)));
    const std::int64_t height = rawHeight < 0 ? -rawHeight : rawHeight;
    const std::uint16_t planes = Read16(file, info + 12);
    const std::uint16_t bits = Read16(file, info + 14);
    const std::uint32_t compression = Read32(file, info + 16);
    const std::uint32_t coloursUsed = Read32(file, info + 32);
    if (width < 1 || width > kLargestBitmapSide || height < 1 || height > kLargestBitmapSide ||
        planes != 1 || compression != kUncompressed) {
        return std::nullopt;
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        return std::nullopt;
    }
    // A palette picture has at most one entry per value a pixel can take; a direct-colour one
    // may carry an optional table of at most 256 entries.
    const std::uint32_t largestTable = bits <= 8 ? (1u << bits) : 256u;
    if (coloursUsed > largestTable) {
        return std::nullopt;
    }
    const std::size_t tableEntries = bits <= 8 && coloursUsed == 0 ? largestTable : coloursUsed;
    const std::size_t tableEnd = info + infoSize + tableEntries * kColourEntryBytes;
    const std::size_t stride = ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4;
    const std::size_t pixelBytes = stride * static_cast<std::size_t>(height);
    if (pixelOffset < tableEnd || pixelOffset > file.size() ||
        pixelBytes > file.size() - pixelOffset) {
        return std::nullopt;
    }
    BitmapFileLayout layout;
    layout.width = static_cast<std::int32_t>(width);
    layout.height = static_cast<std::int32_t>(height);
    layout.infoOffset = info;
    layout.pixelOffset = pixelOffset;
    layout.pixelBytes = pixelBytes;
    layout.bitsPerPixel = bits;
    return layout;
}

} // namespace vtrl::ui
