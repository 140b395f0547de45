// forms::Platform on Win32: GDI text metrics, repaint requests, OLE picture loading, the hand
// cursor, the executable's folder, drive change and program start. Works before the window
// exists (the load runs first): metrics come from a memory DC, repaints wait for the window.
#pragma once

#include <windows.h>

#include <olectl.h>

#include "app/forms/platform.h"
#include "app/win32/fonts.h"

namespace win32 {

// A picture decoded by OLE (BMP, GIF, JPEG, ICO, WMF, EMF).
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

class PlatformWin32 final : public forms::Platform {
public:
    PlatformWin32(HINSTANCE instance, FontCache& fonts, unsigned dpi);

    // Repaints go to this window from now on.
    void attach(HWND window) { window_ = window; }
    unsigned dpi() const { return dpi_; }
    void set_dpi(unsigned dpi) { dpi_ = dpi; }
    HCURSOR cursor(forms::Cursor which) const;

    forms::Extent measure_text(std::string_view text, const forms::Font& font) override;
    void invalidate(const forms::Rect& area) override;
    std::shared_ptr<const forms::Picture> load_picture(const std::string& path) override;
    void set_cursor(forms::Cursor cursor) override;
    std::string executable_folder() override;
    char path_separator() const override { return '\\'; }
    bool change_drive(std::string_view drive) override;
    bool start_program(const std::string& command_line) override;
    [[noreturn]] void quit() override;

private:
    FontCache& fonts_;
    unsigned dpi_;
    HWND window_ = nullptr;
    HCURSOR hand_;
    HCURSOR arrow_;
};

} // namespace win32
