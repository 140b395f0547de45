// GDI painting of the menu window. Everything is drawn into an off-screen bitmap and copied
// to the window in one step, so a hover change never flickers.
#include "app/win32/paint.h"

#include <climits>

#include "app/forms/colors.h"
#include "app/forms/picture_scale.h"
#include "app/win32/picture.h"
#include "app/win32/resource_ids.h"
#include "app/win32/units.h"

namespace win32_shell {
namespace {

// BeginPaint/EndPaint as one scope, so the window is validated whatever happens inside.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window_(window), dc_(BeginPaint(window, &ps_)) {}
    ~PaintScope() { EndPaint(window_, &ps_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;

    HDC dc() const { return dc_; }
    const RECT& area() const { return ps_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

COLORREF text_color(std::int32_t color) {
    return static_cast<COLORREF>(
        forms::to_bgr(color, [](int index) { return GetSysColor(index); }));
}

RECT to_px_rect(const forms::Rect& r, unsigned dpi) {
    return RECT{to_px(r.left, dpi), to_px(r.top, dpi), to_px(r.right(), dpi),
                to_px(r.bottom(), dpi)};
}

} // namespace

namespace {

// The designed background at a density (1 or 2): a PNG resource, decoded by the platform's
// codecs.
std::unique_ptr<const BitmapPicture> designed_background(HINSTANCE instance, int density) {
    HRSRC found = FindResourceW(
        instance, MAKEINTRESOURCEW(density > 1 ? TAVIK_IDB_BACKGROUND_2X : TAVIK_IDB_BACKGROUND),
        MAKEINTRESOURCEW(10)); // RT_RCDATA
    HGLOBAL loaded = found != nullptr ? LoadResource(instance, found) : nullptr;
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    return bytes != nullptr ? decode_picture_bytes(bytes, SizeofResource(instance, found), density)
                            : nullptr;
}

} // namespace

Painter::Painter(HINSTANCE instance, FontCache& fonts) : instance_(instance), fonts_(fonts) {}

const BitmapPicture* Painter::background(unsigned dpi) {
    // Each rendition is decoded when a paint first needs it: at 96 DPI the 2x one never is.
    const std::size_t density = static_cast<std::size_t>(forms::designed_density(scale_of(dpi)));
    auto& slot = backgrounds_[density - 1];
    if (!slot.tried) {
        slot.tried = true;
        slot.picture = designed_background(instance_, static_cast<int>(density));
    }
    if (!slot.picture && density > 1)
        return background(kBaseDpi);
    return slot.picture.get();
}

void Painter::paint(HWND window, const forms::Form& form, unsigned dpi,
                    const std::function<void(HDC)>& over) {
    PaintScope scope(window);
    RECT client{};
    GetClientRect(window, &client);
    const SIZE size{client.right, client.bottom};
    const RECT& area = scope.area();
    MemoryDc buffer_dc(scope.dc());
    Bitmap buffer(CreateCompatibleBitmap(scope.dc(), size.cx, size.cy));
    if (!buffer_dc || !buffer) {
        draw(scope.dc(), form, dpi, size); // out of memory: paint directly, flicker and all
        if (over)
            over(scope.dc());
        return;
    }
    Selection selected(buffer_dc.get(), buffer.get());
    IntersectClipRect(buffer_dc.get(), area.left, area.top, area.right, area.bottom);
    draw(buffer_dc.get(), form, dpi, size);
    if (over)
        over(buffer_dc.get());
    BitBlt(scope.dc(), area.left, area.top, area.right - area.left, area.bottom - area.top,
           buffer_dc.get(), area.left, area.top, SRCCOPY);
}

void Painter::draw(HDC dc, const forms::Form& form, unsigned dpi, SIZE client) {
    // The back colour shows wherever a smaller picture leaves the client uncovered.
    GdiObject<HBRUSH> back(CreateSolidBrush(text_color(form.back_color())));
    const RECT all{0, 0, client.cx, client.cy};
    if (back)
        FillRect(dc, &all, back.get());
    draw_background(dc, form, dpi);

    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    for (const forms::StackedLabel& layer : form.stacking()) // the order the mouse sees
        if (layer.label->shown())
            draw_label(dc, *layer.label, dpi);
}

void Painter::draw_background(HDC dc, const forms::Form& form, unsigned dpi) {
    const forms::Picture* loaded = form.picture().get();
    if (const auto* picture = dynamic_cast<const OlePicture*>(loaded)) {
        picture->render(dc, 0, 0, shown_px(picture->width_px(), picture->density(), dpi),
                        shown_px(picture->height_px(), picture->density(), dpi));
    } else if (const auto* bitmap = dynamic_cast<const BitmapPicture*>(loaded)) {
        bitmap->draw(dc, dpi);
    } else if (const BitmapPicture* designed = background(dpi)) {
        designed->draw(dc, dpi);
    }
}

void Painter::draw_label(HDC dc, const forms::Label& label, unsigned dpi) {
    HFONT font = fonts_.get(label.font(), dpi);
    if (font == nullptr)
        return;
    Selection selected(dc, font);
    SetTextColor(dc, text_color(label.fore_color()));
    const RECT box = to_px_rect(label.box(), dpi);
    const std::string& text = label.caption();
    const auto n = static_cast<UINT>(std::min<std::size_t>(text.size(), INT_MAX));
    // A fixed box (the title) cuts its text at its edges; a self-sizing box fits it already.
    ExtTextOutA(dc, box.left, box.top, label.auto_size() ? 0u : static_cast<UINT>(ETO_CLIPPED),
                &box, text.data(), n, nullptr);
}

} // namespace win32_shell
