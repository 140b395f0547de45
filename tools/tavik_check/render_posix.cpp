#include "tools/tavik_check/render.h"

#include "app/gtk/paint.h"

namespace check {

// The Linux menu's painter, through cairo.
bool render_png(const forms::Form& form, const std::string& path, double scale) {
    return gtk_shell::render_png(form, path, scale);
}

} // namespace check
