// Paints the menu window from the form, double-buffered: the background picture (the
// embedded bitmap unless the settings loaded one), then the title and the shown item labels
// in index order, letters only. Reads the form; never changes it.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>

#include "app/forms/form.h"

#include "app/win32/handles.h"
#include "app/win32/picture.h"
#include "app/win32/text.h"

namespace win32_shell {

class Painter {
public:
    Painter(HINSTANCE instance, FontCache& fonts);

    // Answers WM_PAINT for the window; `over` (the author's preview) draws on top, into the
    // same buffer.
    void paint(HWND window, const forms::Form& form, unsigned dpi,
               const std::function<void(HDC)>& over = {});
    // The client area into any DC (the check tool's render): what paint() puts on the screen.
    void draw(HDC dc, const forms::Form& form, unsigned dpi, SIZE client);

private:
    void draw_background(HDC dc, const forms::Form& form, unsigned dpi);
    void draw_label(HDC dc, const forms::Label& label, unsigned dpi);
    // The designed background for a DPI (its 2x rendition above 96); nullptr if none decodes.
    const BitmapPicture* background(unsigned dpi);

    HINSTANCE instance_;
    FontCache& fonts_;
    struct Designed {
        bool tried = false;
        std::unique_ptr<const BitmapPicture> picture;
    };
    std::array<Designed, 2> backgrounds_; // 1x and 2x, from the resources
};

} // namespace win32_shell
