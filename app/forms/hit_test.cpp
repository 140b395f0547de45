#include "app/forms/hit_test.h"

namespace forms {

Hit hit_test(const std::vector<StackedLabel>& stacking, Point p) {
    for (auto it = stacking.rbegin(); it != stacking.rend(); ++it)
        if (it->label->shown() && it->label->box().contains(p))
            return Hit{it->target, it->index};
    return Hit{};
}

} // namespace forms
