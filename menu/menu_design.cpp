// The designed state of frmTavikMain, before any setting is applied. Twips throughout.
#include "menu/frm_tavik_main.h"

namespace menu {
namespace {

constexpr const char* kFontName = "MS Sans Serif";

forms::LabelDesign item_label(const char* caption, std::int32_t color, float top, float width) {
    return forms::LabelDesign{caption,
                              false,
                              color,
                              forms::Rect{2760, top, width, 300},
                              forms::Font{kFontName, 12.0f, true, false},
                              true};
}

} // namespace

forms::FormDesign frmTavikMain_design() {
    forms::FormDesign d;
    d.client_width = 7455; // 497 x 374 px
    d.client_height = 5610;
    d.back_color = 0x00FFFFFF;
    // The title: a fixed box wider than the window, only its letters drawn.
    d.plain_labels.push_back(forms::LabelDesign{"Tavik", true, 0x00000000,
                                                forms::Rect{120, 120, 7935, 495},
                                                forms::Font{kFontName, 24.0f, true, true}, false});
    const std::int32_t black = 0x00000000, yellow = 0x0000FFFF;
    d.label_array = {
        item_label("lblMenu", black, 1320, 945),
        item_label("lblMenu", black, 1680, 945),
        item_label("lblMenu", black, 2040, 945),
        item_label("lblMenu", black, 2400, 945),
        item_label("lblMenu", yellow, 2760, 945),
        item_label("lblMenu", yellow, 3000, 945),
        item_label("lblMenu", yellow, 3480, 945),
        item_label("Exit", yellow, 3960, 465),
        // Exit: shown from the start, in the selected-text system colour, 13.5 pt regular.
        forms::LabelDesign{"Exit", true, static_cast<std::int32_t>(0x8000000Eu),
                           forms::Rect{6600, 5040, 465, 360},
                           forms::Font{kFontName, 13.5f, false, false}, true},
    };
    return d;
}

frmTavikMain::frmTavikMain(forms::Platform& platform)
    : forms::Form(platform, frmTavikMain_design()), lblCaption(plain_label(0)),
      lblMenu(label_array()) {}

} // namespace menu
