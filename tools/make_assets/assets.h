// The three embedded assets of the menu: how each picture is drawn and the file it becomes.
#pragma once
#include <string>
#include <vector>

#include "tools/make_assets/canvas.h"
#include "tools/make_assets/encode.h"

namespace make_assets {

// 500 x 375 times the scale: light-blue lettered backdrop, formula, underline. Each scale is
// drawn from the shapes at its own size, never enlarged from a smaller one.
Canvas draw_background(int scale = 1);
Canvas draw_hand_cursor(); // 32 x 32: pointing hand, fingertip at (12, 1)
Canvas draw_app_icon();    // 32 x 32: desktop computer beside an open software box

constexpr HotSpot kHandHotSpot{12, 1};

struct AssetFile {
    std::string name;
    Bytes bytes;
};

// background.bmp, its 2x rendition background@2x.bmp, hand.cur and app.ico, byte for byte as
// committed in assets/.
std::vector<AssetFile> make_all_assets();

} // namespace make_assets
