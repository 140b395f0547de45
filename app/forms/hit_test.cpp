#include "app/forms/hit_test.h"

namespace forms {
namespace {

// Index of the topmost (last) shown label holding the point, or -1.
std::int16_t topmost(const std::vector<Label>& labels, Point p) {
    for (std::size_t i = labels.size(); i-- > 0;)
        if (labels[i].shown() && labels[i].box().contains(p))
            return static_cast<std::int16_t>(i);
    return -1;
}

} // namespace

Hit hit_test(const std::vector<Label>& plain, const std::vector<Label>& array, Point p) {
    if (const std::int16_t i = topmost(array, p); i >= 0)
        return Hit{Hit::Target::Array, i};
    if (const std::int16_t i = topmost(plain, p); i >= 0)
        return Hit{Hit::Target::Plain, i};
    return Hit{};
}

} // namespace forms
