// What assistive technology sees of a form: its shown labels, bottom to top, named by their
// captions and located at their current boxes. Plain labels are static text; array labels are
// menu items whose one action is their click. Built on demand, so it always reads the labels as
// they are now; the shells translate it to their platform's accessibility interface and the
// check tool prints it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/forms/form.h"

namespace forms {

enum class AccessibleRole { StaticText, MenuItem };

// The role as the check tool names it: "static text", "menu item".
std::string_view role_name(AccessibleRole role);

// What a screen reader offers for a menu item's action.
inline constexpr std::string_view kActionName = "Open";

struct AccessibleElement {
    AccessibleRole role;
    const Label* label;
    Hit::Target target; // Plain or Array
    std::int16_t index; // within the plain labels or the array
    bool hot;           // highlighted under the mouse
    Rect box;           // the label's current box within the client area, twips

    bool has_action() const { return role == AccessibleRole::MenuItem; }
};

// The form's name: the caption of its first plain label, its title.
std::string accessible_name(const Form& form);

std::vector<AccessibleElement> accessible_elements(const Form& form);

// The position in `elements` of the topmost one holding p (the mouse's own hit test), or -1.
int accessible_element_at(const std::vector<AccessibleElement>& elements, Point p);

// The element's action: the click of its label, raised as the mouse raises it. False, and
// nothing done, when the element has no action.
bool do_accessible_action(Form& form, const AccessibleElement& element);

} // namespace forms
