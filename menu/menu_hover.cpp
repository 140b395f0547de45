// The hover highlight: the item label under the mouse shows the Highlight colour, bold, 18 pt;
// moving onto another item or onto the bare background restores it. These handlers use only
// operations that cannot fail: an error here would otherwise end the program.
#include "app/forms/colors.h"
#include "menu/frm_tavik_main.h"

namespace menu {

void frmTavikMain::restore_normal(std::int16_t index) {
    forms::Label* label = lblMenu.find(index);
    if (label == nullptr)
        return;
    const std::int32_t color = forms::is_valid_color(MenuSettings.ForeColor)
                                   ? MenuSettings.ForeColor
                                   : before_highlight_.fore_color;
    const float configured = static_cast<float>(MenuSettings.FontSize);
    const float size =
        forms::is_valid_font_size(configured) ? configured : before_highlight_.font_size;
    label->set_fore_color(color);
    label->set_bold(false);
    label->set_font_size(size);
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
    if (forms::is_valid_color(MenuSettings.Highlight))
        label->set_fore_color(MenuSettings.Highlight);
    label->set_bold(true);
    label->set_font_size(kHighlightFontSize);
    HighlightedIndex = Index;
}

void frmTavikMain::Form_MouseMove() {
    if (HighlightedIndex == -1)
        return;
    restore_normal(HighlightedIndex);
    HighlightedIndex = -1;
}

} // namespace menu
