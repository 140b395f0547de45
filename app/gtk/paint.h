// The painter shared by the window and `tavik-check --render`: the 3 px raised dialog frame,
// then the client: the back colour, the picture from the top-left at its size (a 2x rendition
// at half its pixel size), the title, the
// shown item labels in index order, letters only. Reads the form; never changes it.
#pragma once

#include <cairo.h>

#include <string>

#include "app/forms/form.h"

namespace gtk_shell {

struct PixelSize {
    int width = 0;
    int height = 0;
};

PixelSize client_size_px(const forms::Form& form);
PixelSize outer_size_px(const forms::Form& form);

// The frame around a window of this outer size, drawn in its border only.
void paint_frame(cairo_t* cr, PixelSize outer);

// The client with its top-left at the context's origin; clipped to the client area. `scale`:
// the target's device pixels per window pixel, which picks the designed background's rendition.
void paint_client(cairo_t* cr, const forms::Form& form, double scale = 1.0);

// Frame and client, outer top-left at the origin.
void paint_window(cairo_t* cr, const forms::Form& form, double scale = 1.0);

// The whole window as a PNG file, drawn at a scale (device pixels per window pixel) as GTK
// draws it on a screen of that scale. false when the file could not be written.
bool render_png(const forms::Form& form, const std::string& path, double scale = 1.0);

} // namespace gtk_shell
