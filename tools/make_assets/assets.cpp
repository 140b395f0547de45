// Encodes the three drawn pictures into their committed files.
#include "tools/make_assets/assets.h"

namespace make_assets {

std::vector<AssetFile> make_all_assets() {
    return {
        {"background.bmp", encode_bmp24(draw_background())},
        {"background@2x.bmp", encode_bmp24(draw_background(2))},
        {"hand.cur", encode_icon16(draw_hand_cursor(), IconType::Cursor, kHandHotSpot)},
        {"app.ico", encode_icon16(draw_app_icon(), IconType::Icon)},
    };
}

} // namespace make_assets
