// Label fonts for GDI (face substitution, point-to-pixel height, a small cache) and the text
// measure on a memory DC, so it works before the window exists.
#include "app/win32/text.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "app/win32/units.h"

namespace win32_shell {
namespace {

// Hovering cycles through a handful of fonts; anything beyond this is a run of unusual
// settings, and starting over keeps the handle count bounded.
constexpr std::size_t kMaxFonts = 16;

} // namespace

int font_height_px(float points, unsigned dpi) {
    const double px = std::round(static_cast<double>(points) * dpi / 72.0);
    return -static_cast<int>(px < 1.0 ? 1.0 : px);
}

std::string face_for(const std::string& name) {
    if (_stricmp(name.c_str(), "MS Sans Serif") == 0)
        return "Microsoft Sans Serif";
    return name;
}

HFONT FontCache::get(const forms::Font& font, unsigned dpi) {
    const int height = font_height_px(font.size, dpi);
    const std::string face = face_for(font.name);
    for (const Entry& e : entries_)
        if (e.height == height && e.bold == font.bold && e.italic == font.italic && e.face == face)
            return e.font.get();
    if (entries_.size() >= kMaxFonts)
        entries_.clear(); // no cached font is selected into a DC between calls

    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = font.italic ? TRUE : FALSE;
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfOutPrecision = OUT_TT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    const std::size_t n = std::min(face.size(), sizeof lf.lfFaceName - 1);
    std::memcpy(lf.lfFaceName, face.data(), n);
    Font made(CreateFontIndirectA(&lf));
    if (!made)
        return nullptr;
    entries_.push_back(Entry{height, font.bold, font.italic, face, std::move(made)});
    return entries_.back().font.get();
}

std::wstring to_wide(std::string_view text) {
    if (text.empty() || text.size() > INT_MAX)
        return {};
    const int n = static_cast<int>(text.size());
    const int wide = MultiByteToWideChar(CP_ACP, 0, text.data(), n, nullptr, 0);
    if (wide <= 0)
        return {};
    std::wstring out(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), n, out.data(), wide);
    return out;
}

forms::Extent measure_text(FontCache& fonts, std::string_view text, const forms::Font& font,
                           unsigned dpi) {
    MemoryDc dc(nullptr);
    HFONT handle = fonts.get(font, dpi);
    if (!dc || handle == nullptr)
        return {};
    Selection selected(dc.get(), handle);
    SIZE size{};
    const int n = static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX));
    if (!GetTextExtentPoint32A(dc.get(), text.data(), n, &size))
        return {};
    return forms::Extent{to_twips(size.cx, dpi), to_twips(size.cy, dpi)};
}

} // namespace win32_shell
