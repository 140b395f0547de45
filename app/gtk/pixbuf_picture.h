// Pictures through gdk-pixbuf: files named in the settings (path found case-insensitively,
// `\` read as `/`, declared size checked before decoding) and the embedded background.
#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <memory>
#include <span>
#include <string>

#include "app/forms/platform.h"
#include "app/gtk/gobject_ptr.h"

namespace gtk_shell {

// Larger pictures are refused before any pixel memory is taken.
inline constexpr int kMaxPictureSide = 16384;

class PixbufPicture : public forms::Picture {
public:
    explicit PixbufPicture(GObjectPtr<GdkPixbuf> pixbuf) : pixbuf_(std::move(pixbuf)) {}
    int width_px() const override { return gdk_pixbuf_get_width(pixbuf_.get()); }
    int height_px() const override { return gdk_pixbuf_get_height(pixbuf_.get()); }
    GdkPixbuf* pixbuf() const { return pixbuf_.get(); }

private:
    GObjectPtr<GdkPixbuf> pixbuf_;
};

// nullptr for a missing, unreadable or oversized file, a folder or anything not a picture.
std::shared_ptr<const PixbufPicture> load_picture_file(const std::string& path);

// Decodes image bytes held in memory (type: a gdk-pixbuf loader name, "bmp", "ico").
GObjectPtr<GdkPixbuf> decode_image(std::span<const unsigned char> bytes, const char* type);

// The designed background, decoded once.
const PixbufPicture* designed_background();

} // namespace gtk_shell
