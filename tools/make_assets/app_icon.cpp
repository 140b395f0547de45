// The program icon: a desktop computer with a blue screen beside an open software box,
// drawn in the 16 VGA colours.
#include "tools/make_assets/assets.h"

namespace make_assets {

namespace {

constexpr Rgb kBlack = 0x000000, kGrey = 0x808080, kSilver = 0xC0C0C0, kWhite = 0xFFFFFF;
constexpr Rgb kNavy = 0x000080, kBlue = 0x0000FF, kAqua = 0x00FFFF;

// Corners are pixel positions; the fill is shifted half a pixel so it meets the outline.
void outlined_polygon(Canvas& canvas, const std::vector<PointF>& corners, Rgb fill) {
    std::vector<PointF> centred;
    for (const PointF p : corners)
        centred.push_back({p.x + 0.5, p.y + 0.5});
    canvas.fill_polygon(centred, fill);
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const PointF a = corners[i], b = corners[(i + 1) % corners.size()];
        canvas.line(static_cast<int>(a.x), static_cast<int>(a.y), static_cast<int>(b.x),
                    static_cast<int>(b.y), kBlack);
    }
}

void draw_computer(Canvas& c) {
    // Monitor: silver case, bevelled blue screen with a glint.
    c.fill_rect(0, 1, 19, 15, kSilver);
    c.frame_rect(0, 1, 19, 15, kBlack);
    c.fill_rect(3, 4, 13, 9, kBlue);
    c.line(2, 3, 16, 3, kGrey);
    c.line(2, 3, 2, 13, kGrey);
    c.line(3, 13, 16, 13, kWhite);
    c.line(16, 4, 16, 13, kWhite);
    c.line(5, 8, 8, 5, kAqua);
    c.line(5, 10, 10, 5, kAqua);
    // Neck, then the system unit with a drive slot and a power light.
    c.fill_rect(6, 16, 7, 2, kGrey);
    c.fill_rect(0, 18, 20, 8, kSilver);
    c.frame_rect(0, 18, 20, 8, kBlack);
    c.line(1, 19, 18, 19, kWhite);
    c.line(3, 22, 10, 22, kBlack);
    c.line(3, 23, 10, 23, kGrey);
    c.set(4, 26, kBlack);
    c.set(15, 26, kBlack);
}

void draw_box(Canvas& c) {
    // Flaps first: the back one stands up, the left one folds out over the monitor's foot.
    outlined_polygon(c, {{20, 15}, {30, 15}, {31, 8}, {22, 8}}, kWhite);
    outlined_polygon(c, {{16, 19}, {20, 15}, {16, 12}, {12, 16}}, kWhite);
    outlined_polygon(c, {{16, 19}, {20, 15}, {30, 15}, {26, 19}}, kNavy);
    outlined_polygon(c, {{26, 19}, {30, 15}, {30, 27}, {26, 31}}, kNavy);
    c.fill_rect(16, 19, 11, 13, kBlue);
    c.frame_rect(16, 19, 11, 13, kBlack);
    c.fill_rect(17, 23, 9, 4, kWhite);
    c.line(18, 25, 24, 25, kBlue);
    c.line(18, 24, 21, 24, kNavy);
}

} // namespace

Canvas draw_app_icon() {
    Canvas canvas(32, 32, kClear);
    draw_computer(canvas);
    draw_box(canvas);
    return canvas;
}

} // namespace make_assets
