// The designed background bitmap and the hand cursor, built into the executable so that it
// needs nothing from the source tree at run time.
#pragma once

#include <cstddef>
#include <span>

namespace assets {

std::span<const unsigned char> background_bmp();
// The same drawing at twice the size (1000 x 750), as a PNG, for scaled screens.
std::span<const unsigned char> background_2x_png();
std::span<const unsigned char> hand_cur();

} // namespace assets
