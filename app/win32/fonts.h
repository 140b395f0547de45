// The GDI fonts of the labels, shared by text measurement and painting so that a label's box
// and its pixels always agree. Fonts are made per DPI and kept for the run.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/forms/platform.h"
#include "app/win32/gdi_handles.h"

namespace win32 {

// The character height in pixels (negative, as CreateFont takes it) of a size in points;
// fractional sizes such as 13.5 pt round to the nearest pixel.
int font_height_px(float points, unsigned dpi);

// The installed face for a designed font name: "MS Sans Serif" is a bitmap font with a few
// fixed sizes, "Microsoft Sans Serif" its scalable twin.
std::string face_for(const std::string& name);

class FontCache {
public:
    // The font for a label at a DPI; nullptr only if GDI cannot make any font. The handle
    // stays valid until the next call.
    HFONT get(const forms::Font& font, unsigned dpi);

private:
    struct Entry {
        int height;
        bool bold;
        bool italic;
        std::string face;
        Font font;
    };
    std::vector<Entry> entries_;
};

} // namespace win32
