// File encoders; see encode.h. All multi-byte fields are little-endian.
#include "tools/make_assets/encode.h"

#include <limits>
#include <stdexcept>

namespace make_assets {

namespace {

constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr int kIconSide = 32;
constexpr std::uint32_t kIconXorSize = kIconSide * kIconSide / 2; // 4 bits per pixel
constexpr std::uint32_t kIconAndSize = kIconSide * kIconSide / 8; // 1 bit per pixel
constexpr std::uint32_t kIconImageOffset = 6 + 16;                // header + one entry

void put8(Bytes& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
}
void put16(Bytes& out, std::uint32_t v) {
    put8(out, v);
    put8(out, v >> 8);
}
void put32(Bytes& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// BITMAPINFOHEADER: no compression, resolution and colour-count fields 0.
void put_info_header(Bytes& out, int width, int height, std::uint32_t bpp,
                     std::uint32_t image_size) {
    put32(out, kInfoHeaderSize);
    put32(out, static_cast<std::uint32_t>(width));
    put32(out, static_cast<std::uint32_t>(height));
    put16(out, 1);
    put16(out, bpp);
    put32(out, 0);
    put32(out, image_size);
    for (int i = 0; i < 4; ++i)
        put32(out, 0);
}

std::uint8_t nearest_vga_index(Rgb c) {
    std::uint8_t best = 0;
    int best_distance = std::numeric_limits<int>::max();
    for (std::size_t i = 0; i < kVgaPalette.size(); ++i) {
        int distance = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            const int d = static_cast<int>((c >> shift) & 0xFF) -
                          static_cast<int>((kVgaPalette[i] >> shift) & 0xFF);
            distance += d * d;
        }
        if (distance < best_distance) {
            best_distance = distance;
            best = static_cast<std::uint8_t>(i);
        }
    }
    return best;
}

} // namespace

Bytes encode_bmp24(const Canvas& picture) {
    const auto row_size = static_cast<std::uint32_t>((picture.width() * 3 + 3) / 4 * 4);
    const std::uint32_t image_size = row_size * static_cast<std::uint32_t>(picture.height());
    const std::uint32_t offset = 14 + kInfoHeaderSize;
    Bytes out;
    out.push_back('B');
    out.push_back('M');
    put32(out, offset + image_size);
    put32(out, 0);
    put32(out, offset);
    put_info_header(out, picture.width(), picture.height(), 24, image_size);
    for (int y = picture.height() - 1; y >= 0; --y) { // bottom row first
        const std::size_t row_start = out.size();
        for (int x = 0; x < picture.width(); ++x) {
            const Rgb c = picture.at(x, y);
            put8(out, c);
            put8(out, c >> 8);
            put8(out, c >> 16);
        }
        out.resize(row_start + row_size, 0);
    }
    return out;
}

Bytes encode_icon16(const Canvas& picture, IconType type, HotSpot hot_spot) {
    if (picture.width() != kIconSide || picture.height() != kIconSide)
        throw std::invalid_argument("icons are 32 x 32 pixels");
    const std::uint32_t image_size = kInfoHeaderSize + 16 * 4 + kIconXorSize + kIconAndSize;
    const bool cursor = type == IconType::Cursor;
    Bytes out;
    put16(out, 0);
    put16(out, static_cast<std::uint32_t>(type));
    put16(out, 1);
    put8(out, kIconSide);
    put8(out, kIconSide);
    put8(out, cursor ? 0 : 16); // cursors leave the colour count unset
    put8(out, 0);
    put16(out, cursor ? hot_spot.x : 0);
    put16(out, cursor ? hot_spot.y : 0);
    put32(out, image_size);
    put32(out, kIconImageOffset);

    put_info_header(out, kIconSide, 2 * kIconSide, 4, kIconXorSize + kIconAndSize);
    for (const Rgb c : kVgaPalette) {
        put8(out, c);
        put8(out, c >> 8);
        put8(out, c >> 16);
        put8(out, 0);
    }
    // Transparent pixels: colour 0 under a set AND bit leaves the screen as it is.
    for (int y = kIconSide - 1; y >= 0; --y)
        for (int x = 0; x < kIconSide; x += 2) {
            const auto index = [&](int px) {
                const Rgb c = picture.at(px, y);
                return c == kClear ? std::uint8_t{0} : nearest_vga_index(c);
            };
            put8(out, static_cast<std::uint32_t>(index(x) << 4 | index(x + 1)));
        }
    for (int y = kIconSide - 1; y >= 0; --y)
        for (int x = 0; x < kIconSide; x += 8) {
            std::uint32_t bits = 0;
            for (int b = 0; b < 8; ++b)
                if (picture.at(x + b, y) == kClear)
                    bits |= 0x80u >> b;
            put8(out, bits);
        }
    return out;
}

} // namespace make_assets
