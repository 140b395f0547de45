// The hover highlight: the item label under the mouse shows the Highlight colour, bold, 18 pt;
// moving onto another item or onto the bare background restores it. These handlers use only
// operations that cannot fail: an error here would otherwise end the program.
#include "menu/frm_tavik_main.h"

namespace menu {

void frmTavikMain::restore_normal(std::int16_t index) {
    forms::Label* label = lblMenu.find(index);
    if (label == nullptr)
        return;
    // What the label refuses returns to the look from before the highlight.
    if (!label->try_set_fore_color(MenuSettings.ForeColor))
        label->try_set_fore_color(before_highlight_.fore_color);
    label->set_bold(false);
    if (!label->try_set_font_size(static_cast<float>(MenuSettings.FontSize)))
        label->try_set_font_size(before_highlight_.font_size);
}

void frmTavikMain::lblMenu_MouseMove(std::int16_t Index) {
    if (HighlightedIndex == Index)
        return; // repeated moves over the same label: no redraw
    forms::Label* label = lblMenu.find(Index);
    if (label == nullptr)
        return;
    if (HighlightedIndex != -1)
        restore_normal(HighlightedIndex);
    before_highlight_ = Look{label->fore_color(), label->font().size};
    label->try_set_fore_color(MenuSettings.Highlight); // a refused colour keeps the colour
    label->set_bold(true);
    label->try_set_font_size(kHighlightFontSize);
    HighlightedIndex = Index;
}

void frmTavikMain::Form_MouseMove() {
    if (HighlightedIndex == -1)
        return;
    restore_normal(HighlightedIndex);
    HighlightedIndex = -1;
}

} // namespace menu
