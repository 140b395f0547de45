// Owning pointers for the GLib, pango and cairo objects the shell creates, so every reference
// is released exactly once, on every path. Borrowed objects are never wrapped.
#pragma once

#include <cairo.h>
#include <glib-object.h>
#include <pango/pango.h>

#include <memory>

namespace gtk_shell {

struct GObjectUnref {
    void operator()(gpointer p) const { g_object_unref(p); }
};
template <class T> using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

struct FontDescriptionFree {
    void operator()(PangoFontDescription* p) const { pango_font_description_free(p); }
};
using FontDescriptionPtr = std::unique_ptr<PangoFontDescription, FontDescriptionFree>;

struct SurfaceDestroy {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDestroy>;

} // namespace gtk_shell
