#include <gtest/gtest.h>

#include "app/forms/colors.h"
#include "app/forms/failure.h"
#include "app/forms/form.h"
#include "fake_platform.h"

using forms::Failure;
using forms::Label;
using forms::Point;
using testing_support::FakePlatform;

namespace {

forms::LabelDesign sizing_label(const char* caption, float left, float top, bool shown = true) {
    return {caption, shown, 0, forms::Rect{left, top, 0, 0}, forms::Font{"F", 10, false, false},
            true};
}

TEST(Label, SizesItselfToItsCaptionWithLeftAndTopFixed) {
    FakePlatform p;
    Label l(p, sizing_label("abc", 100, 200));
    EXPECT_EQ(l.box().width, 300);
    EXPECT_EQ(l.box().height, 200);
    l.set_caption("abcdef");
    l.set_bold(true);
    l.set_font_size(20);
    EXPECT_EQ(l.box().left, 100);
    EXPECT_EQ(l.box().top, 200);
    EXPECT_EQ(l.box().width, 6 * 20 * 12);
    EXPECT_EQ(l.box().height, 400);
}

TEST(Label, FixedBoxDoesNotSizeItself) {
    FakePlatform p;
    forms::LabelDesign d = sizing_label("a", 0, 0);
    d.auto_size = false;
    d.box = forms::Rect{0, 0, 7935, 495};
    Label l(p, d);
    l.set_caption("a much longer caption");
    EXPECT_EQ(l.box().width, 7935);
}

TEST(Label, RepaintsTheUnionOfOldAndNewBox) {
    FakePlatform p;
    Label l(p, sizing_label("ab", 100, 100));
    p.invalidated.clear();
    l.set_font_size(20); // 200x200 -> 400x400
    ASSERT_EQ(p.invalidated.size(), 1u);
    EXPECT_EQ(p.invalidated[0].width, 400);
    EXPECT_EQ(p.invalidated[0].height, 400);
    p.invalidated.clear();
    l.set_font_size(10); // shrinking repaints the larger old box too
    EXPECT_EQ(p.invalidated.at(0).width, 400);

    Label hidden(p, sizing_label("ab", 0, 0, false));
    p.invalidated.clear();
    hidden.set_caption("xyz");
    EXPECT_TRUE(p.invalidated.empty()); // nothing to repaint while hidden
    hidden.set_shown(true);
    EXPECT_EQ(p.invalidated.size(), 1u);
}

TEST(Label, RefusedValuesThrowAndChangeNothing) {
    FakePlatform p;
    Label l(p, sizing_label("ab", 0, 0));
    for (std::int32_t bad : {0x01000000, 0x7F000000, static_cast<std::int32_t>(0x8000001F),
                             static_cast<std::int32_t>(0x80010000), -1})
        EXPECT_THROW(l.set_fore_color(bad), Failure) << std::hex << bad;
    EXPECT_EQ(l.fore_color(), 0);
    for (std::int32_t good : {0x00FFFFFF, 0x02123456, static_cast<std::int32_t>(0x8000000E),
                              static_cast<std::int32_t>(0x8000001E)})
        EXPECT_NO_THROW(l.set_fore_color(good));
    for (float bad : {0.0f, -1.0f, 0.5f, 2161.0f, 32767.0f})
        EXPECT_THROW(l.set_font_size(bad), Failure) << bad;
    EXPECT_EQ(l.font().size, 10);
    EXPECT_NO_THROW(l.set_font_size(2160));
}

TEST(Colors, SystemColoursResolveThroughTheLookup) {
    auto classic = [](int i) { return forms::classic_system_color(i); };
    EXPECT_EQ(forms::to_bgr(static_cast<std::int32_t>(0x8000000E), classic), 0xFFFFFFu);
    EXPECT_EQ(forms::to_bgr(static_cast<std::int32_t>(0x80000008), classic), 0x000000u);
    EXPECT_EQ(forms::to_bgr(0x02112233, classic), 0x112233u);
    EXPECT_EQ(forms::to_bgr(0x0000FF, classic), 0x0000FFu);
}

// A form that records its events.
class EventForm : public forms::Form {
public:
    explicit EventForm(forms::Platform& p) : forms::Form(p, design()) {}
    static forms::FormDesign design() {
        forms::FormDesign d;
        d.client_width = 7455;
        d.client_height = 5610;
        d.plain_labels = {forms::LabelDesign{"Title", true, 0, forms::Rect{0, 0, 7455, 500},
                                             forms::Font{"F", 24, true, true}, false}};
        d.label_array = {sizing_label("one", 100, 1000), sizing_label("two", 100, 1100),
                         sizing_label("hid", 100, 2000, false)};
        return d;
    }
    std::vector<std::string> events;
    forms::LabelArray& array() { return label_array(); }

protected:
    void on_form_mouse_move() override { events.push_back("form"); }
    void on_array_mouse_move(std::int16_t i) override {
        events.push_back("move " + std::to_string(i));
    }
    void on_array_click(std::int16_t i) override { events.push_back("click " + std::to_string(i)); }
};

TEST(Form, MouseMovesGoToTheTopmostShownLabel) {
    FakePlatform p;
    EventForm f(p);
    f.mouse_move(Point{150, 1050});       // only label 0
    f.mouse_move(Point{150, 1150});       // labels 0 and 1 overlap here: 1 is on top
    f.mouse_move(Point{150, 2050});       // a hidden label takes nothing
    f.mouse_move(Point{150, 100});        // the title swallows the move
    f.mouse_move(Point{100 + 300, 1050}); // right edge is outside (half-open)
    EXPECT_EQ(f.events, (std::vector<std::string>{"move 0", "move 1", "form", "form"}));
}

TEST(Form, CursorIsTheHandOnlyOverShownArrayLabels) {
    FakePlatform p;
    EventForm f(p);
    EXPECT_EQ(f.cursor_at(Point{150, 1050}), forms::Cursor::Hand);
    EXPECT_EQ(f.cursor_at(Point{150, 100}), forms::Cursor::Arrow);
    EXPECT_EQ(f.cursor_at(Point{150, 2050}), forms::Cursor::Arrow);
    f.mouse_move(Point{150, 1050});
    EXPECT_EQ(p.cursor, forms::Cursor::Hand);
    f.mouse_move(Point{5000, 5000});
    EXPECT_EQ(p.cursor, forms::Cursor::Arrow);
}

TEST(Form, ClickIsALeftPressAndReleaseOnTheSameLabel) {
    FakePlatform p;
    EventForm f(p);
    f.mouse_down(forms::MouseButton::Left, Point{150, 1050});
    f.mouse_up(forms::MouseButton::Left, Point{160, 1060});
    f.mouse_down(forms::MouseButton::Left, Point{150, 1050}); // pressed on 0, released on 1
    f.mouse_up(forms::MouseButton::Left, Point{150, 1150});
    f.mouse_down(forms::MouseButton::Right, Point{150, 1050});
    f.mouse_up(forms::MouseButton::Right, Point{150, 1050});
    f.mouse_up(forms::MouseButton::Left, Point{150, 1050});    // release with no press
    f.mouse_down(forms::MouseButton::Left, Point{5000, 5000}); // press on the background
    f.mouse_up(forms::MouseButton::Left, Point{150, 1050});
    EXPECT_EQ(f.events, (std::vector<std::string>{"click 0"}));
}

TEST(Form, ArrayIndexesOutsideTheArrayFail) {
    FakePlatform p;
    EventForm f(p);
    EXPECT_EQ(f.array().UBound(), 2);
    EXPECT_THROW(f.array()(3), Failure);
    EXPECT_THROW(f.array()(-1), Failure);
    EXPECT_EQ(f.array().find(3), nullptr);
    EXPECT_NO_THROW(f.array()(2));
}

TEST(Form, UnloadablePictureKeepsTheOldOne) {
    FakePlatform p;
    p.loadable_pictures = {"good.bmp"};
    EventForm f(p);
    EXPECT_THROW(f.set_picture("bad.bmp"), Failure);
    EXPECT_EQ(f.picture(), nullptr);
    f.set_picture("good.bmp");
    const auto good = f.picture();
    EXPECT_NE(good, nullptr);
    EXPECT_THROW(f.set_picture("bad.bmp"), Failure);
    EXPECT_EQ(f.picture(), good);
}

} // namespace

namespace {

// Counts measurements.
class CountingPlatform : public testing_support::FakePlatform {
public:
    forms::Extent measure_text(std::string_view text, const forms::Font& font) override {
        ++measures;
        return FakePlatform::measure_text(text, font);
    }
    int measures = 0;
};

TEST(Label, HiddenLabelsAreMeasuredWhenShown) {
    CountingPlatform p;
    Label l(p, sizing_label("abc", 0, 0, false));
    l.set_caption("abcdef");
    l.set_font_size(20);
    EXPECT_EQ(p.measures, 0);
    EXPECT_EQ(l.box().width, 0); // its last box until shown
    l.set_shown(true);
    EXPECT_EQ(p.measures, 1);
    EXPECT_EQ(l.box().width, 6 * 20 * 10);
}

TEST(Form, ABatchMeasuresAndRepaintsEachChangedLabelOnce) {
    CountingPlatform p;
    EventForm f(p);
    const float width_before = f.array()(0).box().width;
    p.measures = 0;
    p.invalidated.clear();
    {
        forms::LayoutBatch batch(f);
        f.array()(0).set_caption("a longer caption");
        f.array()(0).set_font_size(12);
        f.array()(0).set_bold(true);
        f.array()(0).set_top(3000);
        EXPECT_EQ(p.measures, 0);
        EXPECT_TRUE(p.invalidated.empty());
    }
    EXPECT_EQ(p.measures, 1);
    ASSERT_EQ(p.invalidated.size(), 1u);
    EXPECT_EQ(p.invalidated[0].top, 1000);                // the old place ...
    EXPECT_EQ(p.invalidated[0].bottom(), 3000 + 12 * 20); // ... and the new one
    EXPECT_GT(f.array()(0).box().width, width_before);
    EXPECT_EQ(f.array()(0).box().width, 16 * 12 * 12);
}

} // namespace
