// The menu's backdrop. Item text goes over the lower left and the title over the top left,
// so those stay light and quiet; the formula and its underline sit in the upper right.
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <string_view>

#include "tools/make_assets/assets.h"

namespace make_assets {

namespace {

constexpr int kWidth = 500;
constexpr int kHeight = 375;
constexpr Rgb kSkyTop = 0xE2EEFA;
constexpr Rgb kSkyBottom = 0xC8DCF2;
constexpr Rgb kLettering = 0xB4BCC6;
constexpr Rgb kTeal = 0x0A5F69;

Rgb lerp(Rgb a, Rgb b, double t) {
    Rgb out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const double ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
        out |= static_cast<Rgb>(std::lround(ca + (cb - ca) * t)) << shift;
    }
    return out;
}

// A 5 x 7 pixel font with just the characters the lettering uses.
struct Glyph {
    char ch;
    std::array<std::uint8_t, 7> rows; // bit 4 is the leftmost column
};

constexpr std::array<Glyph, 8> kGlyphs{{
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {'Y', {0x11, 0x11, 0x0A, 0x04, 0x04, 0x04, 0x04}},
    {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
    {'+', {0x00, 0x04, 0x04, 0x1F, 0x04, 0x04, 0x00}},
    {'=', {0x00, 0x00, 0x1F, 0x00, 0x1F, 0x00, 0x00}},
}};

bool lit(const Glyph& glyph, int col, int row) {
    return col >= 0 && col < 5 && row >= 0 && row < 7 &&
           ((glyph.rows[static_cast<std::size_t>(row)] >> (4 - col)) & 1) != 0;
}

// The glyph's dots are the centres of a pen `scale` pixels wide: dots side by side make one
// bar; two dots touching only at a corner are joined by a diagonal band, as the letter's
// slanted stroke. At scale 1 the band has no room and the letter is its dots, pixel for pixel;
// larger renditions draw the slants the dots stand for.
void draw_glyph(Canvas& canvas, int x, int y, const Glyph& glyph, Rgb colour, int scale) {
    const double s = scale;
    for (int row = 0; row < 7; ++row)
        for (int col = 0; col < 5; ++col) {
            if (!lit(glyph, col, row))
                continue;
            canvas.fill_rect((x + col) * scale, (y + row) * scale, scale, scale, colour);
            for (const int dx : {-1, 1}) {
                if (scale == 1 || !lit(glyph, col + dx, row + 1) || lit(glyph, col + dx, row) ||
                    lit(glyph, col, row + 1))
                    continue;
                // A band along the line between the two dots' centres, a pen's width across.
                const PointF a{(x + col + 0.5) * s, (y + row + 0.5) * s};
                const PointF b{a.x + dx * s, a.y + s};
                const double nx = s * 0.5 / std::numbers::sqrt2, ny = -dx * nx;
                canvas.fill_polygon({{a.x + nx, a.y + ny},
                                     {b.x + nx, b.y + ny},
                                     {b.x - nx, b.y - ny},
                                     {a.x - nx, a.y - ny}},
                                    colour);
            }
        }
}

void draw_tiny_text(Canvas& canvas, int x, int y, std::string_view text, Rgb colour, int scale) {
    for (const char ch : text) {
        for (const Glyph& glyph : kGlyphs)
            if (glyph.ch == ch)
                draw_glyph(canvas, x, y, glyph, colour, scale);
        x += 6; // 5 columns and 1 of spacing
    }
}

void paint_sky(Canvas& canvas) {
    const int height = canvas.height();
    for (int y = 0; y < height; ++y)
        canvas.fill_rect(0, y, canvas.width(), 1, lerp(kSkyTop, kSkyBottom, y / (height - 1.0)));
}

// Rows of small sums, every other row shifted by half a tile, like printed wallpaper.
void tile_lettering(Canvas& canvas, int scale) {
    constexpr std::string_view kRows[] = {"A+B=C", "X+Y=Z"};
    constexpr int kTileWidth = 56, kTileHeight = 22;
    for (int row = 0; row * kTileHeight < kHeight; ++row)
        for (int x = (row % 2) * kTileWidth / 2 - kTileWidth; x < kWidth; x += kTileWidth)
            draw_tiny_text(canvas, x, row * kTileHeight + 6, kRows[row % 2], kLettering, scale);
}

// Hand-written glyphs: strokes through points in a 1 x 1 cell (y down, baseline at 1).
using Stroke = std::vector<PointF>;
struct HandGlyph {
    std::vector<Stroke> strokes;
    double advance;
};

// clang-format off
const HandGlyph kA{{{{0.62, 0.5}, {0.36, 0.4}, {0.12, 0.62}, {0.16, 0.94}, {0.4, 0.96}, {0.6, 0.7}},
                    {{0.64, 0.42}, {0.58, 0.8}, {0.66, 0.99}, {0.8, 0.92}}}, 0.85};
const HandGlyph kB{{{{0.28, -0.1}, {0.2, 0.45}, {0.14, 0.98}},
                    {{0.18, 0.7}, {0.4, 0.44}, {0.64, 0.52}, {0.62, 0.86}, {0.36, 1.0},
                     {0.14, 0.94}}}, 0.8};
const HandGlyph kC{{{{0.62, 0.5}, {0.42, 0.4}, {0.16, 0.6}, {0.16, 0.9}, {0.42, 1.0},
                     {0.66, 0.88}}}, 0.78};
const HandGlyph kSquare{{{{0.1, 0.25}, {0.34, 0.0}, {0.6, 0.12}, {0.52, 0.46}, {0.12, 0.96},
                          {0.44, 0.9}, {0.74, 0.96}}}, 0.5};
const HandGlyph kPlus{{{{0.12, 0.7}, {0.72, 0.67}}, {{0.44, 0.4}, {0.4, 0.98}}}, 0.9};
const HandGlyph kEquals{{{{0.1, 0.6}, {0.72, 0.56}}, {{0.12, 0.84}, {0.74, 0.8}}}, 0.9};
// clang-format on

// a² + b² = c², slanted and with a slight wave so it looks written rather than typeset.
void write_formula(Ink& ink, PointF origin, double size, double s) {
    struct Placed {
        const HandGlyph* glyph;
        bool raised;
    };
    const Placed kFormula[] = {{&kA, false}, {&kSquare, true}, {&kPlus, false},
                               {&kB, false}, {&kSquare, true}, {&kEquals, false},
                               {&kC, false}, {&kSquare, true}};
    double pen = origin.x;
    for (const auto& [glyph, raised] : kFormula) {
        const double scale = raised ? size * 0.5 : size;
        const double top = raised ? origin.y - size * 0.02 : origin.y;
        for (const Stroke& stroke : glyph->strokes) {
            Stroke placed;
            for (const PointF p : stroke) {
                const double x = pen + p.x * scale + (1 - p.y) * scale * 0.22;
                placed.push_back({x * s, (top + p.y * scale + 1.5 * std::sin(x / 23.0)) * s});
            }
            ink.stroke(placed, (raised ? 1.0 : 1.3) * s, (raised ? 1.5 : 2.1) * s);
        }
        pen += glyph->advance * scale;
    }
}

// One brush sweep under the formula: thin at both ends, full in the middle.
void sweep_underline(Ink& ink, int scale) {
    const double s = scale;
    const PointF a{236 * s, 122 * s}, b{320 * s, 136 * s}, c{420 * s, 118 * s}, d{490 * s, 84 * s};
    const int dabs = 600 * scale;
    for (int i = 0; i <= dabs; ++i) {
        const double t = i / static_cast<double>(dabs);
        ink.dab(bezier(a, b, c, d, t),
                (0.6 + 3.0 * std::pow(std::sin(std::numbers::pi * t), 0.8)) * s);
    }
}

} // namespace

Canvas draw_background(int scale) {
    Canvas canvas(kWidth * scale, kHeight * scale, kSkyTop);
    paint_sky(canvas);
    tile_lettering(canvas, scale);
    Ink ink(kWidth * scale, kHeight * scale);
    write_formula(ink, {262, 40}, 42, scale);
    sweep_underline(ink, scale);
    ink.paint_onto(canvas, kTeal);
    return canvas;
}

} // namespace make_assets
