// Label text through pango: one place turns text and font into a layout, for measuring
// (self-sizing labels, the check tool) and painting, so boxes and pixels cannot drift apart.
// Fixed 96 DPI and font options: the same metrics on every screen; no font cache needed.
#pragma once

#include <pango/pango.h>

#include <string>
#include <string_view>

#include "app/forms/platform.h"
#include "app/gtk/handles.h"

namespace gtk_shell {

// "MS Sans Serif" does not exist here: the sans-serif face that does.
inline constexpr const char* kFallbackFamily = "DejaVu Sans,Sans";

// The text as pango shows it: invalid UTF-8 as replacement marks, NUL bytes as '?'. Screen
// readers get the same string, so they say what is painted.
std::string displayable(std::string_view text);

// A one-line layout of the text; invalid UTF-8 and NUL bytes are shown as replacement marks.
GObjectPtr<PangoLayout> make_layout(std::string_view text, const forms::Font& font);

// The layout's logical extent in twips (15 per pixel at 96 DPI).
forms::Extent measure_text(std::string_view text, const forms::Font& font);

} // namespace gtk_shell
