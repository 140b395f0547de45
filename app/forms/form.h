// A fixed-size form: a background picture, plain labels (no mouse handling; they swallow mouse
// moves) and one indexed label array whose members raise mouse-move and click events.
// Shells push mouse input in twips and paint by reading the form; the form never draws.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/forms/hit_test.h"
#include "app/forms/label.h"
#include "app/forms/platform.h"

namespace forms {

enum class MouseButton { Left, Right, Middle, Other };

struct FormDesign {
    float client_width = 0; // twips
    float client_height = 0;
    std::int32_t back_color = 0xFFFFFF;
    std::vector<LabelDesign> plain_labels;
    std::vector<LabelDesign> label_array;
};

// An indexed control array; asking for an index outside it is a Failure.
class LabelArray {
public:
    LabelArray(Platform& platform, const std::vector<LabelDesign>& designs);
    Label& operator()(int index);
    const Label& operator()(int index) const;
    // The label at an index, or nullptr: for handlers that must not fail.
    Label* find(int index) noexcept;
    std::int16_t UBound() const { return static_cast<std::int16_t>(labels_.size() - 1); }
    const std::vector<Label>& all() const { return labels_; }

private:
    std::vector<Label> labels_;
};

class Form {
public:
    Form(Platform& platform, const FormDesign& design);
    virtual ~Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    Platform& platform() { return *platform_; }
    float client_width() const { return client_width_; }
    float client_height() const { return client_height_; }
    std::int32_t back_color() const { return back_color_; }

    // The loaded background picture; nullptr while the designed one shows.
    const std::shared_ptr<const Picture>& picture() const { return picture_; }
    // Loads and shows a picture file. Failure when it cannot be loaded; the old picture stays.
    void set_picture(const std::string& path);

    // The platform's scale changed (the window went to a screen of another DPI): every
    // self-sizing label is measured again and the picture loaded again for the new scale, as
    // if the form had been loaded there. A picture that no longer loads leaves
    // the one shown.
    void scale_changed();

    const std::vector<Label>& plain_labels() const { return plain_; }
    // Every label bottom to top: the picture lies below them all, then the plain labels, then
    // the array in index order. Shells paint in this order; the mouse goes to the topmost.
    std::vector<StackedLabel> stacking() const;
    LabelArray& label_array() { return array_; }
    const LabelArray& label_array() const { return array_; }

    // Mouse input from a shell, in client twips.
    void mouse_move(Point p);
    void mouse_down(MouseButton button, Point p);
    void mouse_up(MouseButton button, Point p);
    Cursor cursor_at(Point p) const;

    // A click on a shown array label by other means than the mouse (assistive technology):
    // the same event a press and release over it raise. Any other index does nothing.
    void click(std::int16_t index);
    // The array label drawn highlighted under the mouse, or -1.
    virtual std::int16_t highlighted_index() const { return -1; }

    // Defers every label's measuring and repainting until resume_layout (see LayoutBatch).
    void defer_layout();
    void resume_layout();

protected:
    Label& plain_label(std::size_t i) { return plain_[i]; }

    // Events, named as the form's handlers see them.
    virtual void on_form_mouse_move() {}
    virtual void on_array_mouse_move(std::int16_t /*index*/) {}
    virtual void on_array_click(std::int16_t /*index*/) {}

private:
    Platform* platform_;
    float client_width_;
    float client_height_;
    std::int32_t back_color_;
    std::shared_ptr<const Picture> picture_;
    std::string picture_path_; // the file picture_ came from
    std::vector<Label> plain_;
    LabelArray array_;
    std::int16_t pressed_ = -1; // array label under a left press, until its release
    Cursor cursor_ = Cursor::Arrow;
};

// Many changes to a form's labels at once, measured and repainted once at the end of the scope.
class LayoutBatch {
public:
    explicit LayoutBatch(Form& form) : form_(form) { form_.defer_layout(); }
    ~LayoutBatch() { form_.resume_layout(); }
    LayoutBatch(const LayoutBatch&) = delete;
    LayoutBatch& operator=(const LayoutBatch&) = delete;

private:
    Form& form_;
};

} // namespace forms
