// GDI painting of the menu window. Everything is drawn into an off-screen bitmap and copied
// to the window in one step, so a hover change never flickers.
#include "app/win32/paint.h"

#include <climits>

#include "app/forms/colors.h"
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

Painter::Painter(HINSTANCE instance, FontCache& fonts)
    : fonts_(fonts),
      background_(static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(TAVIK_IDB_BACKGROUND),
                                                  IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))) {
    BITMAP info{};
    if (background_ && GetObjectW(background_.get(), sizeof info, &info) != 0)
        background_size_ = SIZE{info.bmWidth, info.bmHeight};
}

void Painter::paint(HWND window, const forms::Form& form, unsigned dpi) {
    PaintScope scope(window);
    RECT client{};
    GetClientRect(window, &client);
    const SIZE size{client.right, client.bottom};
    const RECT& area = scope.area();
    MemoryDc buffer_dc(scope.dc());
    Bitmap buffer(CreateCompatibleBitmap(scope.dc(), size.cx, size.cy));
    if (!buffer_dc || !buffer) {
        draw(scope.dc(), form, dpi, size); // out of memory: paint directly, flicker and all
        return;
    }
    Selection selected(buffer_dc.get(), buffer.get());
    IntersectClipRect(buffer_dc.get(), area.left, area.top, area.right, area.bottom);
    draw(buffer_dc.get(), form, dpi, size);
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
    if (const auto* picture = dynamic_cast<const OlePicture*>(form.picture().get())) {
        picture->render(dc, 0, 0, scale_px(picture->width_px(), dpi),
                        scale_px(picture->height_px(), dpi));
        return;
    }
    if (!background_)
        return;
    MemoryDc source(dc);
    if (!source)
        return;
    Selection selected(source.get(), background_.get());
    const SIZE& s = background_size_;
    if (dpi == kBaseDpi) {
        BitBlt(dc, 0, 0, s.cx, s.cy, source.get(), 0, 0, SRCCOPY);
    } else {
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, 0, 0, scale_px(s.cx, dpi), scale_px(s.cy, dpi), source.get(), 0, 0, s.cx,
                   s.cy, SRCCOPY);
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
