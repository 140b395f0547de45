// Which picture file to draw on a scaled screen: the convention of a NAME@2x.EXT (@3x, @4x)
// beside NAME.EXT, drawn at 1/N of its pixel size. Portable: names only, no file is touched.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace forms {

// The largest rendition a settings picture may have beside it.
inline constexpr int kMaxPictureDensity = 4;

struct Rendition {
    std::string path;
    int density = 1; // its pixels per designed pixel
};

// The larger renditions worth trying for a picture drawn at a scale (device pixels per
// designed pixel), best first: the nearest at or above the scale up to @4x, then those
// below it down to @2x (still sharper than the 1x enlarged). Empty at scale 1 or less, so a
// screen at 100 % never looks for another file. `\` and `/` both end a folder name.
std::vector<Rendition> larger_renditions(const std::string& path, double scale);

// A rendition counts only when it is exactly `density` times the 1x picture's size.
bool rendition_fits(std::int64_t width, std::int64_t height, std::int64_t base_width,
                    std::int64_t base_height, int density);

// The density a scale draws the designed background at: its 2x rendition above 100 %.
inline int designed_density(double scale) {
    return scale > 1.0 ? 2 : 1;
}

} // namespace forms
