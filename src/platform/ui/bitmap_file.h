#pragma once
// The layout of a Windows bitmap file (".bmp") checked before anything reads its pixels: the
// pictures come from files any process of the user can write.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace vtrl::ui {

// No picture the program shows is larger; a bigger one is refused rather than drawn.
inline constexpr std::int32_t kLargestBitmapSide = 4096;

struct BitmapFileLayout {
    std::int32_t width = 0;
    std::int32_t height = 0;     // rows, whichever way they are stored
    std::size_t infoOffset = 0;  // where the information header (and its colour table) starts
    std::size_t pixelOffset = 0; // where the rows start
    std::size_t pixelBytes = 0;  // the rows' size, padding included
    std::uint16_t bitsPerPixel = 0;
};

// The layout when every part is where the headers say and inside the file: the file header with
// "BM", an information header of a known size, one plane, 1/4/8/16/24/32 bits per pixel without
// compression, a colour table no larger than the pixel depth allows, sides from 1 to
// kLargestBitmapSide, and all rows. nullopt for anything else.
std::optional<BitmapFileLayout> CheckBitmapFile(const std::vector<std::uint8_t>& file);

} // namespace vtrl::ui
