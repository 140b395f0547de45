// Which label gets the mouse at a point: the topmost shown label whose current box holds it.
// One order serves both painting and hit-testing, so what shows on top takes the mouse.
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

// A label and where it belongs; a stacking lists them bottom to top.
struct StackedLabel {
    Hit::Target target;
    std::int16_t index;
    const Label* label;
};

Hit hit_test(const std::vector<StackedLabel>& stacking, Point p);

} // namespace forms
