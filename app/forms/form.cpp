#include "app/forms/form.h"

#include "app/forms/failure.h"

namespace forms {

namespace {
std::vector<Label> make_labels(Platform& platform, const std::vector<LabelDesign>& designs) {
    std::vector<Label> labels;
    labels.reserve(designs.size()); // labels never move after this: handlers hold references
    for (const LabelDesign& d : designs)
        labels.emplace_back(platform, d);
    return labels;
}
} // namespace

LabelArray::LabelArray(Platform& platform, const std::vector<LabelDesign>& designs)
    : labels_(make_labels(platform, designs)) {}

Label& LabelArray::operator()(int index) {
    require(index >= 0 && static_cast<std::size_t>(index) < labels_.size(),
            FailureKind::NoSuchLabel, "no such label");
    return labels_[static_cast<std::size_t>(index)];
}

const Label& LabelArray::operator()(int index) const {
    require(index >= 0 && static_cast<std::size_t>(index) < labels_.size(),
            FailureKind::NoSuchLabel, "no such label");
    return labels_[static_cast<std::size_t>(index)];
}

Label* LabelArray::find(int index) noexcept {
    if (index < 0 || static_cast<std::size_t>(index) >= labels_.size())
        return nullptr;
    return &labels_[static_cast<std::size_t>(index)];
}

Form::Form(Platform& platform, const FormDesign& design)
    : platform_(&platform), client_width_(design.client_width),
      client_height_(design.client_height), back_color_(design.back_color),
      plain_(make_labels(platform, design.plain_labels)), array_(platform, design.label_array) {}

void Form::defer_layout() {
    for (Label& l : plain_)
        l.defer_layout();
    for (int i = 0; i <= array_.UBound(); ++i)
        array_.find(i)->defer_layout();
}

void Form::resume_layout() {
    for (Label& l : plain_)
        l.resume_layout();
    for (int i = 0; i <= array_.UBound(); ++i)
        array_.find(i)->resume_layout();
}

std::vector<StackedLabel> Form::stacking() const {
    std::vector<StackedLabel> order;
    order.reserve(plain_.size() + array_.all().size());
    for (std::size_t i = 0; i < plain_.size(); ++i)
        order.push_back({Hit::Target::Plain, static_cast<std::int16_t>(i), &plain_[i]});
    for (std::size_t i = 0; i < array_.all().size(); ++i)
        order.push_back({Hit::Target::Array, static_cast<std::int16_t>(i), &array_.all()[i]});
    return order;
}

void Form::set_picture(const std::string& path) {
    auto picture = platform_->load_picture(path);
    require(picture != nullptr, FailureKind::NotAPicture, "picture cannot be loaded");
    picture_ = std::move(picture);
    picture_path_ = path;
    platform_->invalidate(Rect{0, 0, client_width_, client_height_});
}

void Form::scale_changed() {
    for (Label& l : plain_)
        l.remeasure();
    for (int i = 0; i <= array_.UBound(); ++i)
        array_.find(i)->remeasure();
    if (!picture_path_.empty())
        if (auto picture = platform_->load_picture(picture_path_))
            picture_ = std::move(picture);
    platform_->invalidate(Rect{0, 0, client_width_, client_height_});
}

void Form::mouse_move(Point p) {
    const Cursor cursor = cursor_at(p);
    if (cursor != cursor_) {
        cursor_ = cursor;
        platform_->set_cursor(cursor);
    }
    const Hit hit = hit_test(stacking(), p);
    switch (hit.target) {
    case Hit::Target::Array:
        on_array_mouse_move(hit.index);
        break;
    case Hit::Target::Form:
        on_form_mouse_move();
        break;
    case Hit::Target::Plain:
        break; // plain labels take the move and do nothing with it
    }
}

void Form::mouse_down(MouseButton button, Point p) {
    const Hit hit = hit_test(stacking(), p);
    pressed_ = (button == MouseButton::Left && hit.target == Hit::Target::Array) ? hit.index : -1;
}

void Form::mouse_up(MouseButton button, Point p) {
    const std::int16_t pressed = pressed_;
    pressed_ = -1;
    if (button != MouseButton::Left || pressed < 0)
        return;
    const Hit hit = hit_test(stacking(), p);
    if (hit.target == Hit::Target::Array && hit.index == pressed)
        on_array_click(pressed);
}

void Form::click(std::int16_t index) {
    const Label* label = array_.find(index);
    if (label != nullptr && label->shown())
        on_array_click(index);
}

Cursor Form::cursor_at(Point p) const {
    return hit_test(stacking(), p).target == Hit::Target::Array ? Cursor::Hand : Cursor::Arrow;
}

} // namespace forms
