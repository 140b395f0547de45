// Points and rectangles in twips (1/1440 inch), the unit of the whole portable core.
#pragma once

#include <algorithm>

namespace forms {

inline constexpr float kTwipsPerPixel = 15.0f; // at 96 dots per inch

struct Point {
    float x = 0;
    float y = 0;
};

struct Rect {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;

    float right() const { return left + width; }
    float bottom() const { return top + height; }
    bool empty() const { return width <= 0 || height <= 0; }
    // Half-open: the right and bottom edges belong to the neighbour.
    bool contains(Point p) const {
        return p.x >= left && p.x < right() && p.y >= top && p.y < bottom();
    }
};

inline Rect united(const Rect& a, const Rect& b) {
    if (a.empty())
        return b;
    if (b.empty())
        return a;
    const float l = std::min(a.left, b.left), t = std::min(a.top, b.top);
    return Rect{l, t, std::max(a.right(), b.right()) - l, std::max(a.bottom(), b.bottom()) - t};
}

} // namespace forms
