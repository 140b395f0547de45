// Pictures through gdk-pixbuf and cairo: files named in the settings (path found
// case-insensitively, `\` read as `/`, declared size checked before decoding; on a scaled
// screen their NAME@2x.EXT rendition) and the embedded background at 1x or 2x. A picture is
// drawn from its own pixels: a rendition's surface carries its density as cairo's device scale.
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
    explicit PixbufPicture(const GObjectPtr<GdkPixbuf>& pixbuf, int density = 1);
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

// nullptr for a missing, unreadable or oversized file, a folder or anything not a picture. At a
// scale above 1, the larger rendition beside it that loads and fits (picture_scale.h) instead.
std::shared_ptr<const PixbufPicture> load_picture_file(const std::string& path, double scale = 1.0);

// Decodes image bytes held in memory (type: a gdk-pixbuf loader name, "bmp", "ico").
GObjectPtr<GdkPixbuf> decode_image(std::span<const unsigned char> bytes, const char* type);

// The designed background at a density (1, or 2 for its 2x rendition), decoded once each;
// the 1x one when the 2x cannot be decoded.
const PixbufPicture* designed_background(int density = 1);

} // namespace gtk_shell
