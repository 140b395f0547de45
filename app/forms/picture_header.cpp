#include "app/forms/picture_header.h"

#include <cstdlib>

namespace forms {
namespace {

std::uint32_t le16(std::span<const unsigned char> b, std::size_t at) {
    return at + 2 <= b.size() ? b[at] | (static_cast<std::uint32_t>(b[at + 1]) << 8) : 0;
}

std::uint32_t be16(std::span<const unsigned char> b, std::size_t at) {
    return at + 2 <= b.size() ? (static_cast<std::uint32_t>(b[at]) << 8) | b[at + 1] : 0;
}

std::int64_t le32s(std::span<const unsigned char> b, std::size_t at) {
    if (at + 4 > b.size())
        return 0;
    const std::uint32_t v = le16(b, at) | (le16(b, at + 2) << 16);
    return static_cast<std::int32_t>(v);
}

std::int64_t be32(std::span<const unsigned char> b, std::size_t at) {
    return at + 4 <= b.size() ? static_cast<std::int64_t>((be16(b, at) << 16) | be16(b, at + 2))
                              : 0;
}

// Walks the JPEG segments to the first frame header (SOFn), which holds the size.
PictureHeader jpeg(std::span<const unsigned char> b) {
    PictureHeader h{PictureKind::Jpeg};
    std::size_t at = 2;
    while (at + 4 <= b.size()) {
        if (b[at] != 0xFF)
            return h;
        const unsigned marker = b[at + 1];
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            h.height = be16(b, at + 5);
            h.width = be16(b, at + 7);
            return h;
        }
        if (marker == 0xD9 || marker == 0xDA) // end of image, or scan data before any frame
            return h;
        at += 2 + be16(b, at + 2);
    }
    return h;
}

} // namespace

PictureHeader read_picture_header(std::span<const unsigned char> b) {
    if (b.size() >= 2 && b[0] == 'B' && b[1] == 'M') {
        // A 12-byte core header holds 16-bit sizes; the later ones 32-bit, height signed.
        if (le32s(b, 14) == 12)
            return {PictureKind::Bmp, le16(b, 18), le16(b, 20)};
        return {PictureKind::Bmp, le32s(b, 18), std::llabs(le32s(b, 22))};
    }
    if (b.size() >= 6 && b[0] == 'G' && b[1] == 'I' && b[2] == 'F')
        return {PictureKind::Gif, le16(b, 6), le16(b, 8)};
    if (b.size() >= 8 && b[0] == 0x89 && b[1] == 'P' && b[2] == 'N' && b[3] == 'G')
        return {PictureKind::Png, be32(b, 16), be32(b, 20)};
    if (b.size() >= 2 && b[0] == 0xFF && b[1] == 0xD8)
        return jpeg(b);
    return {};
}

bool picture_size_within_limits(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixels;
}

bool picture_size_acceptable(const PictureHeader& h) {
    return h.kind == PictureKind::Unknown || picture_size_within_limits(h.width, h.height);
}

} // namespace forms
