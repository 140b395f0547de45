// Label colours: 0x00BBGGRR values, palette-relative RGB (0x02BBGGRR) and system colours
// (0x800000nn). Which values a label accepts, and the RGB each stands for.
#pragma once

#include <cstdint>

namespace forms {

// Highest system colour index a label accepts.
inline constexpr std::int32_t kMaxSystemColor = 30;

bool is_valid_color(std::int32_t color);

bool is_system_color(std::int32_t color);

// The classic Windows default of a system colour as 0x00BBGGRR; used where the platform has
// no system colours of its own.
std::uint32_t classic_system_color(int index);

// The colour as 0x00BBGGRR, system colours looked up through `system_color`.
template <class SystemColor> std::uint32_t to_bgr(std::int32_t color, SystemColor&& system_color) {
    if (is_system_color(color))
        return static_cast<std::uint32_t>(system_color(static_cast<int>(color & 0xFF))) & 0xFFFFFFu;
    return static_cast<std::uint32_t>(color) & 0xFFFFFFu;
}

} // namespace forms
