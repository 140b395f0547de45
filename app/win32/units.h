// Twips in the core, pixels on the screen: the conversions at a given DPI. Exact at 96 DPI,
// where 15 twips make one pixel. No frame size: the system draws the dialog frame.
#pragma once

#include <cmath>

namespace win32_shell {

inline constexpr unsigned kBaseDpi = 96;
inline constexpr float kTwipsPerInch = 1440.0f;

inline int to_px(float twips, unsigned dpi) {
    return static_cast<int>(std::lround(twips * static_cast<float>(dpi) / kTwipsPerInch));
}

inline float to_twips(int px, unsigned dpi) {
    return static_cast<float>(px) * kTwipsPerInch / static_cast<float>(dpi);
}

// The DPI of a scale (1.5: 144 DPI) and back.
inline unsigned dpi_for(double scale) {
    return static_cast<unsigned>(std::lround(scale * kBaseDpi));
}
inline double scale_of(unsigned dpi) {
    return static_cast<double>(dpi) / kBaseDpi;
}

// Scales a pixel length designed at 96 DPI.
inline int scale_px(int px, unsigned dpi) {
    return static_cast<int>(std::lround(static_cast<double>(px) * dpi / kBaseDpi));
}

} // namespace win32_shell
