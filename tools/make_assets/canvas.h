// Drawing surface of the asset generator: 0xRRGGBB pixels, top row first. Hard-edged shapes
// for pixel art, and soft round-brush ink for hand-drawn strokes. Deterministic: no state.
#pragma once
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace make_assets {

using Rgb = std::uint32_t;          // 0xRRGGBB
constexpr Rgb kClear = 0xFF000000u; // no colour: a transparent pixel in icons and cursors

struct PointF {
    double x = 0;
    double y = 0;
};

class Canvas {
public:
    Canvas(int width, int height, Rgb fill);
    int width() const { return width_; }
    int height() const { return height_; }
    Rgb at(int x, int y) const;
    void set(int x, int y, Rgb c); // points outside are ignored
    void blend(int x, int y, Rgb c, double alpha);
    void fill_rect(int x, int y, int w, int h, Rgb c);
    void frame_rect(int x, int y, int w, int h, Rgb c);
    void line(int x0, int y0, int x1, int y1, Rgb c);
    void fill_polygon(const std::vector<PointF>& corners, Rgb c); // even-odd, pixel centres
    // One string per row, one character per pixel; characters missing from the legend are
    // left untouched.
    void paint_art(int x, int y, const std::vector<std::string_view>& rows,
                   const std::vector<std::pair<char, Rgb>>& legend);

private:
    int width_;
    int height_;
    std::vector<Rgb> pixels_;
};

// Coverage of round-brush strokes, painted in one go so that overlapping dabs do not darken.
class Ink {
public:
    Ink(int width, int height);
    void dab(PointF centre, double radius);
    // A smooth curve through the points; the brush swells from r_ends to r_middle and back.
    void stroke(const std::vector<PointF>& through, double r_ends, double r_middle);
    void paint_onto(Canvas& canvas, Rgb colour) const;

private:
    int width_;
    int height_;
    std::vector<double> cover_;
};

std::vector<PointF> catmull_rom(const std::vector<PointF>& through, int samples_per_span);
PointF bezier(PointF a, PointF b, PointF c, PointF d, double t);

} // namespace make_assets
