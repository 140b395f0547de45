// Pictures through OLE: files named in the settings (BMP, GIF, JPEG, ICO, WMF, EMF; declared
// size checked before decoding). The designed background is a resource the painter loads.
#pragma once

#include <windows.h>

#include <olectl.h>

#include <memory>
#include <string>

#include "app/forms/platform.h"

namespace win32_shell {

// A picture decoded by OLE.
class OlePicture final : public forms::Picture {
public:
    OlePicture(IPicture* picture, int width_px, int height_px)
        : picture_(picture), width_(width_px), height_(height_px) {}
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

// nullptr for a missing, unreadable or oversized file, a folder or anything not a picture.
// The path is ANSI code-page text.
std::shared_ptr<const OlePicture> load_picture_file(const std::string& path);

} // namespace win32_shell
