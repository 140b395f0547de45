// A windowless text label: caption, tag, position, colour and font. Self-sizing labels keep
// their box fitted to the caption on one line while shown (a hidden one keeps its last box
// until it is shown); every visible change asks the platform to repaint the old and new box.
// Setters that refuse a value throw Failure and change nothing.
#pragma once

#include <cstdint>
#include <string>

#include "app/forms/platform.h"

namespace forms {

// Font sizes a label accepts, in points.
inline constexpr float kMinFontSize = 1.0f;
inline constexpr float kMaxFontSize = 2160.0f;

bool is_valid_font_size(float points);

struct LabelDesign {
    std::string caption;
    bool shown = false;
    std::int32_t fore_color = 0;
    Rect box; // twips; width and height are recomputed when auto_size is on
    Font font;
    bool auto_size = false; // fit the box to the caption on one line
};

class Label {
public:
    Label(Platform& platform, LabelDesign design);

    const std::string& caption() const { return caption_; }
    void set_caption(std::string caption);

    // Free text that is never shown (the item's command line).
    const std::string& tag() const { return tag_; }
    void set_tag(std::string tag) { tag_ = std::move(tag); }

    bool shown() const { return shown_; }
    void set_shown(bool shown);

    float left() const { return box_.left; }
    float top() const { return box_.top; }
    void set_left(float left);
    void set_top(float top);
    // Left and Top as set; width and height fitted to the caption while shown (self-sizing).
    const Rect& box() const;

    std::int32_t fore_color() const { return fore_color_; }
    void set_fore_color(std::int32_t color);

    const Font& font() const { return font_; }
    void set_font_size(float points);

    // The same changes for handlers that must not fail: false when refused, nothing changed.
    bool try_set_fore_color(std::int32_t color);
    bool try_set_font_size(float points);
    void set_bold(bool bold);

    bool auto_size() const { return auto_size_; }

    // The platform measures text differently now (another DPI): a self-sizing box is fitted
    // again when next asked for. Repaints nothing: the caller repaints the whole form.
    void remeasure() noexcept { stale_ = stale_ || auto_size_; }

    // While deferred, changes are kept without measuring or repainting; resuming measures once
    // and repaints what changed. A load of many changes pays one measurement per label.
    void defer_layout();
    void resume_layout();

private:
    // Applies a change and repaints what the label covered and now covers; `resizes` when the
    // change can alter the caption's extent.
    template <class Change> void change(bool resizes, Change&& apply);
    // The box as last painted, or an empty one.
    Rect painted_box() const;

    Platform* platform_;
    std::string caption_;
    std::string tag_;
    bool shown_;
    std::int32_t fore_color_;
    mutable Rect box_;
    Font font_;
    bool auto_size_;
    mutable bool stale_; // the box awaits a measurement of the current caption and font
    bool deferred_ = false;
    bool changed_while_deferred_ = false;
    bool shown_before_defer_ = false;
    Rect box_before_defer_; // what to repaint besides the new box
};

} // namespace forms
