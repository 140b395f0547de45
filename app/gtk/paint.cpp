// Cairo painting of the window, frame included (the toolkit draws none for an undecorated
// window). GTK double-buffers every draw, so a hover change never flickers.
#include "app/gtk/paint.h"

#include <gdk/gdk.h>
#include <pango/pangocairo.h>

#include <cmath>

#include "app/forms/colors.h"
#include "app/forms/picture_scale.h"
#include "app/gtk/picture.h"
#include "app/gtk/text.h"
#include "app/gtk/units.h"

namespace gtk_shell {
namespace {

// Classic system colour indexes of the raised dialog frame.
constexpr int k3dLight = 22, k3dDarkShadow = 21, kBtnHighlight = 20, kBtnShadow = 16, kBtnFace = 15;

void set_color(cairo_t* cr, std::uint32_t bgr) {
    cairo_set_source_rgb(cr, static_cast<double>(bgr & 0xFF) / 255.0,
                         static_cast<double>((bgr >> 8) & 0xFF) / 255.0,
                         static_cast<double>((bgr >> 16) & 0xFF) / 255.0);
}

void set_system_color(cairo_t* cr, int index) {
    set_color(cr, forms::classic_system_color(index));
}

// One ring of the frame, `inset` pixels in: top and left in one colour, bottom and right in
// the other.
void ring(cairo_t* cr, PixelSize outer, int inset, int top_left, int bottom_right) {
    const double x0 = inset, y0 = inset;
    const double x1 = outer.width - inset - 1, y1 = outer.height - inset - 1;
    set_system_color(cr, top_left);
    cairo_rectangle(cr, x0, y0, x1 - x0, 1);
    cairo_rectangle(cr, x0, y0, 1, y1 - y0);
    cairo_fill(cr);
    set_system_color(cr, bottom_right);
    cairo_rectangle(cr, x0, y1, x1 - x0 + 1, 1);
    cairo_rectangle(cr, x1, y0, 1, y1 - y0 + 1);
    cairo_fill(cr);
}

void paint_picture(cairo_t* cr, const forms::Form& form, double scale) {
    const PixbufPicture* picture = dynamic_cast<const PixbufPicture*>(form.picture().get());
    if (!form.picture())
        picture = designed_background(forms::designed_density(scale));
    if (picture == nullptr)
        return;
    cairo_set_source_surface(cr, picture->surface(), 0, 0);
    cairo_paint(cr);
}

void paint_label(cairo_t* cr, const forms::Label& label) {
    if (!label.shown() || label.caption().empty())
        return;
    const forms::Rect& box = label.box();
    const double left = to_px(box.left), top = to_px(box.top);
    cairo_save(cr);
    // A fixed box cuts its text off; a self-sizing one fits it anyway.
    cairo_rectangle(cr, left, top, ceil_px(box.width), ceil_px(box.height));
    cairo_clip(cr);
    set_color(cr, forms::to_bgr(label.fore_color(), forms::classic_system_color));
    const auto layout = make_layout(label.caption(), label.font());
    cairo_move_to(cr, left, top);
    pango_cairo_show_layout(cr, layout.get());
    cairo_restore(cr);
}

} // namespace

PixelSize client_size_px(const forms::Form& form) {
    return {static_cast<int>(to_px(form.client_width())),
            static_cast<int>(to_px(form.client_height()))};
}

PixelSize outer_size_px(const forms::Form& form) {
    const PixelSize client = client_size_px(form);
    return {client.width + 2 * kFramePx, client.height + 2 * kFramePx};
}

void paint_frame(cairo_t* cr, PixelSize outer) {
    cairo_save(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    ring(cr, outer, 0, k3dLight, k3dDarkShadow);
    ring(cr, outer, 1, kBtnHighlight, kBtnShadow);
    ring(cr, outer, 2, kBtnFace, kBtnFace);
    cairo_restore(cr);
}

void paint_client(cairo_t* cr, const forms::Form& form, double scale) {
    const PixelSize client = client_size_px(form);
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, client.width, client.height);
    cairo_clip(cr);
    set_color(cr, forms::to_bgr(form.back_color(), forms::classic_system_color));
    cairo_paint(cr);
    paint_picture(cr, form, scale);
    for (const forms::StackedLabel& layer : form.stacking()) // the order the mouse sees
        paint_label(cr, *layer.label);
    cairo_restore(cr);
}

void paint_window(cairo_t* cr, const forms::Form& form, double scale) {
    paint_frame(cr, outer_size_px(form));
    cairo_save(cr);
    cairo_translate(cr, kFramePx, kFramePx);
    paint_client(cr, form, scale);
    cairo_restore(cr);
}

bool render_png(const forms::Form& form, const std::string& path, double scale) {
    const PixelSize outer = outer_size_px(form);
    cairo_surface_t* surface = cairo_image_surface_create(
        CAIRO_FORMAT_RGB24, static_cast<int>(std::ceil(outer.width * scale)),
        static_cast<int>(std::ceil(outer.height * scale)));
    // Drawn in window pixels, as GTK's buffers of a scaled window take them.
    cairo_surface_set_device_scale(surface, scale, scale);
    cairo_t* cr = cairo_create(surface);
    paint_window(cr, form, scale);
    cairo_destroy(cr);
    const bool ok = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return ok;
}

} // namespace gtk_shell
