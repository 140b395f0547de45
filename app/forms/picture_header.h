// The pixel size a picture file declares in its header, read before any decoder sees it, so
// that a picture claiming a gigantic size is refused instead of decoded. Never throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace forms {

// Pictures larger than this, per side or in all, are refused: the window shows 497 x 374.
inline constexpr std::int64_t kMaxPictureSide = 16384;
inline constexpr std::int64_t kMaxPicturePixels = 16'000'000;

enum class PictureKind { Unknown, Bmp, Gif, Jpeg, Png };

struct PictureHeader {
    PictureKind kind = PictureKind::Unknown;
    std::int64_t width = 0; // as declared; 0 when the header is cut short
    std::int64_t height = 0;
};

// Reads the start of a file (a few hundred kilobytes cover a JPEG's size marker).
PictureHeader read_picture_header(std::span<const unsigned char> head);

// True for a size within the limits, whoever declared it (a header, or a decoder's answer).
bool picture_size_within_limits(std::int64_t width, std::int64_t height);

// True when a known picture kind declares a size within the limits; false for a known kind with
// a size missing, zero or too large. Unknown kinds (icons, metafiles) pass: they are small or
// drawn as vectors.
bool picture_size_acceptable(const PictureHeader& header);

} // namespace forms
