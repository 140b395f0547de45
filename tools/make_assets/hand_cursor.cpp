// The item labels' cursor: a white hand pointing up, its index fingertip on the hot spot.
#include "tools/make_assets/assets.h"

namespace make_assets {

namespace {

// K black outline, G grey crease and shading, W white skin, B dark-blue cuff, '.' clear.
const std::vector<std::string_view> kHand{
    "................................", "...........KKK..................",
    "..........KWWWK.................", "..........KWWWK.................",
    "..........KWWWK.................", "..........KWWWK.................",
    "..........KWWWK.................", "..........KWWWKKKK..............",
    "..........KWWWKWWWK.............", "..........KWWWKWWWKKKK..........",
    "..........KWWWKWWWKWWWK.........", "..........KWWWKWWWKWWWKKKK......",
    "..........KWWWKWWWKWWWKWWWK.....", "....KK....KWWWGWWWGWWWGWWWK.....",
    "...KWWK...KWWWGWWWGWWWGWWWK.....", "...KWWWK..KWWWGWWWGWWWGWWWK.....",
    "....KWWWK.KWWWWWWWWWWWWWWWK.....", "....KWWWWKKWWWWWWWWWWWWWWWK.....",
    ".....KWWWWGWWWWWWWWWWWWWWWK.....", ".....KWWWWWGWWWWWWWWWWWWWGK.....",
    "......KWWWWWWWWWWWWWWWWWWGK.....", ".......KWWWWWWWWWWWWWWWWWGK.....",
    "........KWWWWWWWWWWWWWWWGK......", "........KWWWWWWWWWWWWWWWGK......",
    ".........KWWWWWWWWWWWWWGK.......", ".........KKKKKKKKKKKKKKKK.......",
    ".........KBBBBBBBBBBBBBBK.......", ".........KBBBBBBBBBBBBBBK.......",
    ".........KBBBBBBBBBBBBBBK.......", ".........KBBBBBBBBBBBBBBK.......",
    ".........KKKKKKKKKKKKKKKK.......", "................................",
};

} // namespace

Canvas draw_hand_cursor() {
    Canvas canvas(32, 32, kClear);
    canvas.paint_art(0, 0, kHand,
                     {{'K', 0x000000}, {'G', 0x808080}, {'W', 0xFFFFFF}, {'B', 0x000080}});
    return canvas;
}

} // namespace make_assets
