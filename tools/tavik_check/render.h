// tavik-check --render: the window as the menu of the platform the tool runs on draws it,
// frame included, written as PNG by that platform's own encoder.
#pragma once

#include <string>

#include "app/forms/form.h"

#ifdef _WIN32
#include "app/win32/text.h"
#endif

namespace check {

// At a scale (device pixels per designed pixel; 1 draws the designed size). False when the
// file cannot be written.
bool render_png(const forms::Form& form, const std::string& path, double scale);

#ifdef _WIN32
// The fonts shared by the check's measuring and the render, so that boxes and pixels agree.
win32_shell::FontCache& render_fonts();
#endif

} // namespace check
