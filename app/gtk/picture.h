// Pictures through gdk-pixbuf and cairo: files named in the settings (path found
// case-insensitively, `\` read as `/`, declared size checked before decoding) and the embedded
// background. No scaling: the window's DPI is fixed.
#pragma once

#include <cairo.h>
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <memory>
#include <span>
#include <string>

#include "app/forms/picture_header.h"
#include "app/forms/platform.h"
#include "app/gtk/handles.h"

namespace gtk_shell {

// The most of a picture a window shows, in pixels a side (the client is 497 x 374).
inline constexpr int kMaxShownSide = 1024;

// A decoded picture, kept as the cairo surface the painter draws: converted once, and cut to
// the part a window can show, since the picture is drawn unscaled from the top-left corner.
class PixbufPicture : public forms::Picture {
public:
    explicit PixbufPicture(const GObjectPtr<GdkPixbuf>& pixbuf);
    // Takes ownership of an image surface already cut to what a window shows.
    explicit PixbufPicture(cairo_surface_t* surface);
    int width_px() const override { return width_; }
    int height_px() const override { return height_; }
    cairo_surface_t* surface() const { return surface_.get(); }

private:
    int width_;
    int height_;
    SurfacePtr surface_;
};

// nullptr for a missing, unreadable or oversized file, a folder or anything not a picture.
std::shared_ptr<const PixbufPicture> load_picture_file(const std::string& path);

// Decodes image bytes held in memory (type: a gdk-pixbuf loader name, "bmp", "ico").
GObjectPtr<GdkPixbuf> decode_image(std::span<const unsigned char> bytes, const char* type);

// The designed background, decoded once.
const PixbufPicture* designed_background();

} // namespace gtk_shell
