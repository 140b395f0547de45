// Label text through GDI: the fonts, shared by measuring and painting so that a label's box and
// its pixels always agree, made per DPI and kept for the run. ANSI text only, as the core has it.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "app/forms/platform.h"
#include "app/win32/handles.h"

namespace win32_shell {

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

// The core's text (the ANSI code page's bytes, as GDI draws them) in UTF-16, for the wide
// interfaces (file names, screen readers); empty when it cannot be converted.
std::wstring to_wide(std::string_view text);

// One line of text in the font at a DPI, in twips; zero when GDI cannot measure it.
forms::Extent measure_text(FontCache& fonts, std::string_view text, const forms::Font& font,
                           unsigned dpi);

} // namespace win32_shell
