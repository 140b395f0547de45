// File encoders: an uncompressed 24-bit Windows bitmap, and a one-image 32 x 32, 16-colour
// icon or cursor file. Pure functions of the canvas.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "tools/make_assets/canvas.h"

namespace make_assets {

using Bytes = std::vector<std::uint8_t>;

// The standard 16-colour VGA palette in Windows order; icon pixels are mapped to the nearest.
constexpr std::array<Rgb, 16> kVgaPalette{
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

enum class IconType : std::uint16_t { Icon = 1, Cursor = 2 };

struct HotSpot {
    std::uint16_t x = 0;
    std::uint16_t y = 0;
};

Bytes encode_bmp24(const Canvas& picture);
// The canvas must be 32 x 32; kClear pixels become transparent. The hot spot is written for
// cursors only (icons keep planes and bit count 0 in the directory there).
Bytes encode_icon16(const Canvas& picture, IconType type, HotSpot hot_spot = {});

} // namespace make_assets
