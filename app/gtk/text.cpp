// Pango layouts and metrics for the labels, at the fixed 96 DPI; measuring and painting share
// them. No font substitution beyond a fallback family: fontconfig picks the face.
#include "app/gtk/text.h"

#include <pango/pangocairo.h>

#include <cmath>
#include <string>

#include "app/forms/label.h"
#include "app/gtk/units.h"

namespace gtk_shell {
namespace {

// Aliased letters in exactly the label's colour, as the classic Windows look had them.
const cairo_font_options_t* label_font_options() {
    static cairo_font_options_t* options = [] {
        cairo_font_options_t* o = cairo_font_options_create();
        cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_ON);
        cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_FULL);
        cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_NONE);
        return o;
    }();
    return options;
}

// The process's one measuring context; created on first use, kept for the run.
PangoContext* shared_context() {
    static PangoContext* context = [] {
        PangoContext* c = pango_font_map_create_context(pango_cairo_font_map_get_default());
        pango_cairo_context_set_resolution(c, kDpi);
        pango_cairo_context_set_font_options(c, label_font_options());
        return c;
    }();
    return context;
}

std::string family_for(const std::string& name) {
    if (name.empty() || name == "MS Sans Serif" || name == "Microsoft Sans Serif")
        return kFallbackFamily;
    return name + "," + kFallbackFamily;
}

} // namespace

std::string displayable(std::string_view text) {
    std::string clean(text);
    for (char& c : clean)
        if (c == '\0')
            c = '?';
    gchar* valid = g_utf8_make_valid(clean.data(), static_cast<gssize>(clean.size()));
    std::string result(valid);
    g_free(valid);
    return result;
}

GObjectPtr<PangoLayout> make_layout(std::string_view text, const forms::Font& font) {
    GObjectPtr<PangoLayout> layout(pango_layout_new(shared_context()));
    FontDescriptionPtr desc(pango_font_description_new());
    pango_font_description_set_family(desc.get(), family_for(font.name).c_str());
    // Labels refuse sizes outside 1..2160 points; clamp anyway so pango never sees junk.
    float points = font.size;
    if (!(points >= forms::kMinFontSize))
        points = forms::kMinFontSize;
    if (points > forms::kMaxFontSize)
        points = forms::kMaxFontSize;
    pango_font_description_set_size(desc.get(), static_cast<gint>(points * PANGO_SCALE));
    pango_font_description_set_weight(desc.get(),
                                      font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(desc.get(),
                                     font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_layout_set_font_description(layout.get(), desc.get());
    pango_layout_set_single_paragraph_mode(layout.get(), TRUE);
    const std::string clean = displayable(text);
    pango_layout_set_text(layout.get(), clean.data(), static_cast<int>(clean.size()));
    return layout;
}

// Whole pixels, as a Windows text measure gives them.
float pango_to_twips(int units) {
    return to_twips(std::ceil(static_cast<float>(units) / PANGO_SCALE));
}

forms::Extent measure_text(std::string_view text, const forms::Font& font) {
    // Empty text has no width but a line's height; measure a blank for that height.
    const auto layout = make_layout(text.empty() ? std::string_view(" ") : text, font);
    PangoRectangle logical{};
    pango_layout_get_extents(layout.get(), nullptr, &logical);
    return {text.empty() ? 0.0f : pango_to_twips(logical.width), pango_to_twips(logical.height)};
}

} // namespace gtk_shell

// Fontconfig keeps its caches until the process ends: tell LeakSanitizer (in sanitizer builds
// of every program that measures text) not to count them as leaks.
extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
