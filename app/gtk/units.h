// Twips in the core, pixels on the screen: the GTK window is drawn at a fixed 96 DPI, where
// 15 twips make one pixel, whatever the screen's scale. No per-monitor DPI, unlike Win32.
#pragma once

#include <cmath>

#include "app/forms/geometry.h"

namespace gtk_shell {

inline constexpr double kDpi = 96.0;

// The raised dialog frame around the client, drawn by the shell (Win32 gets it from the system).
inline constexpr int kFramePx = 3;

// The pixel a position is painted at.
inline double to_px(float twips) {
    return std::round(static_cast<double>(twips) / forms::kTwipsPerPixel);
}

// The pixel edges that cover a position from below and from above.
inline double floor_px(float twips) {
    return std::floor(static_cast<double>(twips) / forms::kTwipsPerPixel);
}
inline double ceil_px(float twips) {
    return std::ceil(static_cast<double>(twips) / forms::kTwipsPerPixel);
}

inline float to_twips(double px) {
    return static_cast<float>(px) * forms::kTwipsPerPixel;
}

inline forms::Point to_twips(double x, double y) {
    return {to_twips(x), to_twips(y)};
}

} // namespace gtk_shell
