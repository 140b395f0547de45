// Which label gets the mouse at a point: the topmost shown label whose current box holds it.
// Paint order and z-order agree: plain labels first, then the array in index order.
#pragma once

#include <cstdint>
#include <vector>

#include "app/forms/label.h"

namespace forms {

struct Hit {
    enum class Target { Form, Plain, Array };
    Target target = Target::Form;
    std::int16_t index = -1; // within the plain labels or the array
};

Hit hit_test(const std::vector<Label>& plain, const std::vector<Label>& array, Point p);

} // namespace forms
