#include "app/forms/label.h"

#include <cmath>

#include "app/forms/colors.h"
#include "app/forms/failure.h"

namespace forms {

bool is_valid_font_size(float points) {
    return std::isfinite(points) && points >= kMinFontSize && points <= kMaxFontSize;
}

Label::Label(Platform& platform, LabelDesign design)
    : platform_(&platform), caption_(std::move(design.caption)), shown_(design.shown),
      fore_color_(design.fore_color), box_(design.box), font_(std::move(design.font)),
      auto_size_(design.auto_size) {
    fit();
}

template <class Change> void Label::change(Change&& apply) {
    const Rect before = box_;
    const bool was_shown = shown_;
    apply();
    fit();
    if (was_shown || shown_)
        platform_->invalidate(united(before, box_));
}

void Label::fit() {
    if (!auto_size_)
        return;
    const Extent e = platform_->measure_text(caption_, font_);
    box_.width = e.width;
    box_.height = e.height;
}

void Label::set_caption(std::string caption) {
    change([&] { caption_ = std::move(caption); });
}

void Label::set_shown(bool shown) {
    if (shown == shown_)
        return;
    change([&] { shown_ = shown; });
}

void Label::set_left(float left) {
    require(std::isfinite(left), "invalid position");
    change([&] { box_.left = left; });
}

void Label::set_top(float top) {
    require(std::isfinite(top), "invalid position");
    change([&] { box_.top = top; });
}

void Label::set_fore_color(std::int32_t color) {
    require(is_valid_color(color), "invalid colour");
    if (color == fore_color_)
        return;
    change([&] { fore_color_ = color; });
}

void Label::set_font_size(float points) {
    require(is_valid_font_size(points), "invalid font size");
    change([&] { font_.size = points; });
}

void Label::set_bold(bool bold) {
    change([&] { font_.bold = bold; });
}

} // namespace forms
