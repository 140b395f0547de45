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
      auto_size_(design.auto_size), stale_(design.auto_size) {}

const Rect& Label::box() const {
    // Measured on demand, and only while shown: a hidden placeholder keeps its last box, and
    // nothing is measured before the first frame needs it.
    if (stale_ && shown_) {
        const Extent e = platform_->measure_text(caption_, font_);
        box_.width = e.width;
        box_.height = e.height;
        stale_ = false;
    }
    return box_;
}

Rect Label::painted_box() const {
    // A label still awaiting its measurement has not been painted in its current state: there
    // is nothing of it on the screen to repaint.
    return shown_ && !stale_ ? box_ : Rect{};
}

template <class Change> void Label::change(bool resizes, Change&& apply) {
    if (deferred_) {
        apply();
        stale_ = stale_ || (resizes && auto_size_);
        changed_while_deferred_ = true;
        return;
    }
    const bool was_shown = shown_;
    const Rect before = painted_box();
    apply();
    stale_ = stale_ || (resizes && auto_size_);
    if (was_shown || shown_)
        platform_->invalidate(united(before, box()));
}

void Label::defer_layout() {
    if (deferred_)
        return;
    deferred_ = true;
    changed_while_deferred_ = false;
    shown_before_defer_ = shown_;
    box_before_defer_ = painted_box();
}

void Label::resume_layout() {
    if (!deferred_)
        return;
    deferred_ = false;
    if (changed_while_deferred_ && (shown_before_defer_ || shown_))
        platform_->invalidate(united(box_before_defer_, box()));
}

void Label::set_caption(std::string caption) {
    change(true, [&] { caption_ = std::move(caption); });
}

void Label::set_shown(bool shown) {
    if (shown == shown_)
        return;
    change(false, [&] { shown_ = shown; });
}

void Label::set_left(float left) {
    require(std::isfinite(left), FailureKind::ValueRefused, "invalid position");
    change(false, [&] { box_.left = left; });
}

void Label::set_top(float top) {
    require(std::isfinite(top), FailureKind::ValueRefused, "invalid position");
    change(false, [&] { box_.top = top; });
}

bool Label::try_set_fore_color(std::int32_t color) {
    if (!is_valid_color(color))
        return false;
    if (color != fore_color_)
        change(false, [&] { fore_color_ = color; });
    return true;
}

void Label::set_fore_color(std::int32_t color) {
    require(try_set_fore_color(color), FailureKind::ValueRefused, "invalid colour");
}

bool Label::try_set_font_size(float points) {
    if (!is_valid_font_size(points))
        return false;
    change(true, [&] { font_.size = points; });
    return true;
}

void Label::set_font_size(float points) {
    require(try_set_font_size(points), FailureKind::ValueRefused, "invalid font size");
}

void Label::set_bold(bool bold) {
    change(true, [&] { font_.bold = bold; });
}

} // namespace forms
