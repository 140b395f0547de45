// Pictures: files named in the settings through OLE (BMP, GIF, JPEG, ICO, WMF, EMF) and, for
// what OLE cannot read (PNG, TIFF), the platform's image codecs (WIC); the declared size is
// checked before either decodes; above 96 DPI their NAME@2x.EXT rendition when one fits. The
// designed background is a PNG resource (1x and 2x) decoded by WIC. A picture of density N
// covers 1/N of its pixel size at 96 DPI and is scaled from there to the window's DPI.
#pragma once

#include <windows.h>

#include <olectl.h>

#include <memory>
#include <string>

#include "app/forms/platform.h"
#include "app/win32/handles.h"

namespace win32_shell {

// A picture decoded by OLE.
class OlePicture final : public forms::Picture {
public:
    OlePicture(IPicture* picture, int width_px, int height_px, int density)
        : forms::Picture(density), picture_(picture), width_(width_px), height_(height_px) {}
    ~OlePicture() override { picture_->Release(); }
    OlePicture(const OlePicture&) = delete;
    OlePicture& operator=(const OlePicture&) = delete;

    int width_px() const override { return width_; }
    int height_px() const override { return height_; }
    // Draws the whole picture into the rectangle (pixels of dc).
    void render(HDC dc, int x, int y, int width, int height) const;

private:
    IPicture* picture_;
    int width_;
    int height_;
};

// A picture decoded by WIC into a 32-bit premultiplied DIB, drawn at its pixel size.
class BitmapPicture final : public forms::Picture {
public:
    BitmapPicture(HBITMAP bitmap, int width_px, int height_px, bool opaque, int density = 1)
        : forms::Picture(density), bitmap_(bitmap), width_(width_px), height_(height_px),
          opaque_(opaque) {}

    int width_px() const override { return width_; }
    int height_px() const override { return height_; }
    // Draws it from the top-left of dc at its size for the DPI (pixel for pixel where its
    // density is the DPI's); transparent parts let dc show.
    void draw(HDC dc, unsigned dpi) const;

private:
    Bitmap bitmap_;
    int width_;
    int height_;
    bool opaque_; // no pixel lets the back colour through: copied, not blended
};

// nullptr for a missing, unreadable or oversized file, a folder or anything not a picture.
// The path is ANSI code-page text. Above 96 DPI the larger rendition beside it that loads and
// fits (app/forms/picture_scale.h) instead.
std::shared_ptr<const forms::Picture> load_picture_file(const std::string& path, unsigned dpi = 96);

// Image bytes held in memory (the embedded background), decoded by WIC; nullptr on failure.
std::unique_ptr<const BitmapPicture> decode_picture_bytes(const void* bytes, std::size_t size,
                                                          int density = 1);

// The size of a picture of this density at a DPI, in pixels: its pixel size at the DPI that
// matches its density.
int shown_px(int picture_px, int density, unsigned dpi);

} // namespace win32_shell
