// Drawing surface of the asset generator; see canvas.h.
#include "tools/make_assets/canvas.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace make_assets {

namespace {

std::uint32_t mix_channel(Rgb under, Rgb over, int shift, double alpha) {
    const double a = static_cast<double>((under >> shift) & 0xFF);
    const double b = static_cast<double>((over >> shift) & 0xFF);
    return static_cast<std::uint32_t>(std::lround(a + (b - a) * alpha)) << shift;
}

int floor_int(double v) {
    return static_cast<int>(std::floor(v));
}

} // namespace

Canvas::Canvas(int width, int height, Rgb fill)
    : width_(width), height_(height),
      pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill) {}

Rgb Canvas::at(int x, int y) const {
    return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                   static_cast<std::size_t>(x)];
}

void Canvas::set(int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
            static_cast<std::size_t>(x)] = c;
}

void Canvas::blend(int x, int y, Rgb c, double alpha) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    const Rgb under = at(x, y);
    set(x, y,
        mix_channel(under, c, 16, alpha) | mix_channel(under, c, 8, alpha) |
            mix_channel(under, c, 0, alpha));
}

void Canvas::fill_rect(int x, int y, int w, int h, Rgb c) {
    for (int row = y; row < y + h; ++row)
        for (int col = x; col < x + w; ++col)
            set(col, row, c);
}

void Canvas::frame_rect(int x, int y, int w, int h, Rgb c) {
    line(x, y, x + w - 1, y, c);
    line(x, y + h - 1, x + w - 1, y + h - 1, c);
    line(x, y, x, y + h - 1, c);
    line(x + w - 1, y, x + w - 1, y + h - 1, c);
}

void Canvas::line(int x0, int y0, int x1, int y1, Rgb c) {
    const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    for (int err = dx + dy;;) {
        set(x0, y0, c);
        if (x0 == x1 && y0 == y1)
            return;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void Canvas::fill_polygon(const std::vector<PointF>& corners, Rgb c) {
    for (int y = 0; y < height_; ++y) {
        const double yc = y + 0.5;
        std::vector<double> crossings;
        for (std::size_t i = 0; i < corners.size(); ++i) {
            const PointF a = corners[i], b = corners[(i + 1) % corners.size()];
            if ((a.y <= yc) != (b.y <= yc))
                crossings.push_back(a.x + (yc - a.y) * (b.x - a.x) / (b.y - a.y));
        }
        std::sort(crossings.begin(), crossings.end());
        for (std::size_t i = 0; i + 1 < crossings.size(); i += 2)
            for (int x = floor_int(crossings[i] + 0.5); x + 0.5 < crossings[i + 1]; ++x)
                set(x, y, c);
    }
}

void Canvas::paint_art(int x, int y, const std::vector<std::string_view>& rows,
                       const std::vector<std::pair<char, Rgb>>& legend) {
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t col = 0; col < rows[r].size(); ++col)
            for (const auto& [ch, colour] : legend)
                if (rows[r][col] == ch)
                    set(x + static_cast<int>(col), y + static_cast<int>(r), colour);
}

Ink::Ink(int width, int height)
    : width_(width), height_(height),
      cover_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0.0) {}

void Ink::dab(PointF centre, double radius) {
    for (int y = floor_int(centre.y - radius - 1); y <= floor_int(centre.y + radius + 1); ++y)
        for (int x = floor_int(centre.x - radius - 1); x <= floor_int(centre.x + radius + 1); ++x) {
            if (x < 0 || y < 0 || x >= width_ || y >= height_)
                continue;
            const double d = std::hypot(x + 0.5 - centre.x, y + 0.5 - centre.y);
            const double cover = std::clamp(radius + 0.5 - d, 0.0, 1.0);
            double& cell = cover_[static_cast<std::size_t>(y * width_ + x)];
            cell = std::max(cell, cover);
        }
}

void Ink::stroke(const std::vector<PointF>& through, double r_ends, double r_middle) {
    const std::vector<PointF> path = catmull_rom(through, 24);
    for (std::size_t i = 0; i < path.size(); ++i) {
        const double t = static_cast<double>(i) / static_cast<double>(path.size() - 1);
        dab(path[i], r_ends + (r_middle - r_ends) * std::sin(std::numbers::pi * t));
    }
}

void Ink::paint_onto(Canvas& canvas, Rgb colour) const {
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            if (const double c = cover_[static_cast<std::size_t>(y * width_ + x)]; c > 0)
                canvas.blend(x, y, colour, c);
}

std::vector<PointF> catmull_rom(const std::vector<PointF>& p, int samples_per_span) {
    std::vector<PointF> out;
    const auto at = [&](std::ptrdiff_t i) {
        return p[static_cast<std::size_t>(
            std::clamp<std::ptrdiff_t>(i, 0, static_cast<std::ptrdiff_t>(p.size()) - 1))];
    };
    for (std::ptrdiff_t i = 0; i + 1 < static_cast<std::ptrdiff_t>(p.size()); ++i) {
        const PointF p0 = at(i - 1), p1 = at(i), p2 = at(i + 1), p3 = at(i + 2);
        for (int s = 0; s < samples_per_span; ++s) {
            const double t = static_cast<double>(s) / samples_per_span, t2 = t * t, t3 = t2 * t;
            const auto blend = [&](double a, double b, double c, double d) {
                return 0.5 * (2 * b + (c - a) * t + (2 * a - 5 * b + 4 * c - d) * t2 +
                              (3 * b - a - 3 * c + d) * t3);
            };
            out.push_back({blend(p0.x, p1.x, p2.x, p3.x), blend(p0.y, p1.y, p2.y, p3.y)});
        }
    }
    out.push_back(p.back());
    return out;
}

PointF bezier(PointF a, PointF b, PointF c, PointF d, double t) {
    const double u = 1 - t;
    const auto f = [&](double p0, double p1, double p2, double p3) {
        return u * u * u * p0 + 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t * p3;
    };
    return {f(a.x, b.x, c.x, d.x), f(a.y, b.y, c.y, d.y)};
}

} // namespace make_assets
