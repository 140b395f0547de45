#include "app/forms/colors.h"

#include <array>

namespace forms {

bool is_system_color(std::int32_t color) {
    const auto v = static_cast<std::uint32_t>(color);
    return (v & 0xFF000000u) == 0x80000000u && (v & 0x00FFFFFFu) <= kMaxSystemColor;
}

bool is_valid_color(std::int32_t color) {
    const auto high = static_cast<std::uint32_t>(color) >> 24;
    return high == 0x00 || high == 0x02 || is_system_color(color);
}

std::uint32_t classic_system_color(int index) {
    // The Windows 2000 "Windows Standard" scheme, 0x00BBGGRR, indexes 0..30.
    static constexpr std::array<std::uint32_t, kMaxSystemColor + 1> kClassic = {
        0xC8D0D4, // 0 scroll bar
        0xA56E3A, // 1 desktop
        0x6A240A, // 2 active caption
        0x808080, // 3 inactive caption
        0xC8D0D4, // 4 menu
        0xFFFFFF, // 5 window
        0x000000, // 6 window frame
        0x000000, // 7 menu text
        0x000000, // 8 window text
        0xFFFFFF, // 9 caption text
        0xC8D0D4, // 10 active border
        0xC8D0D4, // 11 inactive border
        0x808080, // 12 application workspace
        0x6A240A, // 13 highlight (selection background)
        0xFFFFFF, // 14 highlight text (selected text)
        0xC8D0D4, // 15 button face
        0x808080, // 16 button shadow
        0x808080, // 17 grey text
        0x000000, // 18 button text
        0xC8D0D4, // 19 inactive caption text
        0xFFFFFF, // 20 button highlight
        0x404040, // 21 3-D dark shadow
        0xC8D0D4, // 22 3-D light
        0x000000, // 23 tooltip text
        0xE1FFFF, // 24 tooltip background
        0xB5B5B5, // 25 (unused)
        0x800000, // 26 hot-tracked item
        0xF0CAA6, // 27 gradient active caption
        0xC0C0C0, // 28 gradient inactive caption
        0x6A240A, // 29 menu highlight
        0xC8D0D4, // 30 menu bar
    };
    if (index < 0 || index > kMaxSystemColor)
        return 0;
    return kClassic[static_cast<std::size_t>(index)];
}

} // namespace forms
