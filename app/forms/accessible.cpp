#include "app/forms/accessible.h"

#include <algorithm>

namespace forms {
namespace {

// The part of a box the window shows: a label may reach past the client area's edges.
Rect clipped_to_client(const Rect& box, const Form& form) {
    const float left = std::max(box.left, 0.0f), top = std::max(box.top, 0.0f);
    const float right = std::min(box.right(), form.client_width());
    const float bottom = std::min(box.bottom(), form.client_height());
    return Rect{left, top, std::max(right - left, 0.0f), std::max(bottom - top, 0.0f)};
}

} // namespace

std::string_view role_name(AccessibleRole role) {
    return role == AccessibleRole::MenuItem ? "menu item" : "static text";
}

std::string accessible_name(const Form& form) {
    return form.plain_labels().empty() ? std::string() : form.plain_labels().front().caption();
}

std::vector<AccessibleElement> accessible_elements(const Form& form) {
    std::vector<AccessibleElement> elements;
    for (const StackedLabel& s : form.stacking()) {
        if (!s.label->shown())
            continue;
        const bool item = s.target == Hit::Target::Array;
        elements.push_back(
            AccessibleElement{item ? AccessibleRole::MenuItem : AccessibleRole::StaticText, s.label,
                              s.target, s.index, item && s.index == form.highlighted_index(),
                              clipped_to_client(s.label->box(), form)});
    }
    return elements;
}

int accessible_element_at(const std::vector<AccessibleElement>& elements, Point p) {
    for (int i = static_cast<int>(elements.size()) - 1; i >= 0; --i)
        if (elements[static_cast<std::size_t>(i)].box.contains(p))
            return i;
    return -1;
}

bool do_accessible_action(Form& form, const AccessibleElement& element) {
    if (!element.has_action())
        return false;
    form.click(element.index);
    return true;
}

} // namespace forms
