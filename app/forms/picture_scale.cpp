#include "app/forms/picture_scale.h"

#include <algorithm>
#include <cmath>

namespace forms {

std::vector<Rendition> larger_renditions(const std::string& path, double scale) {
    std::vector<Rendition> out;
    if (!(scale > 1.0) || path.empty())
        return out;
    const std::size_t folder_end = path.find_last_of("\\/");
    const std::size_t name_start = folder_end == std::string::npos ? 0 : folder_end + 1;
    const std::size_t dot = path.find_last_of('.');
    // "NAME.EXT" -> "NAME@2x.EXT"; a name without a dot (or only a leading one) gets it last.
    const std::size_t cut = dot != std::string::npos && dot > name_start ? dot : path.size();
    const auto named = [&](int n) {
        return Rendition{path.substr(0, cut) + "@" + std::to_string(n) + "x" + path.substr(cut), n};
    };
    const int nearest =
        static_cast<int>(std::fmin(std::ceil(scale - 1e-9), double{kMaxPictureDensity}));
    for (int n = std::max(nearest, 2); n <= kMaxPictureDensity; ++n)
        out.push_back(named(n));
    for (int n = std::max(nearest, 2) - 1; n >= 2; --n)
        out.push_back(named(n));
    return out;
}

bool rendition_fits(std::int64_t width, std::int64_t height, std::int64_t base_width,
                    std::int64_t base_height, int density) {
    return base_width > 0 && base_height > 0 && width == base_width * density &&
           height == base_height * density;
}

} // namespace forms
