// Owning pointers for GLib objects, so every reference is released on every path.
#pragma once

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

} // namespace gtk_shell
