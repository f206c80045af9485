#pragma once

#include <cstdint>
#include <vector>

namespace corvath {

struct LayoutRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    double area() const { return width * height; }
};

// Whole pixels: left, top, width and height.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Squarified treemap: divides bounds among the items, each rectangle's area in
// proportion to its size and as close to square as the sizes allow. The result
// has one rectangle per item, in the items' order; together they fill bounds
// exactly. An item of size 0 gets an empty rectangle, as every item does when
// all sizes are 0 or bounds is empty.
std::vector<LayoutRect> squarify(const std::vector<std::uint64_t>& sizes, const LayoutRect& bounds);

// Rounds each edge to the nearest pixel, so rectangles that share an edge
// still share it in pixels: no gaps, no overlaps.
PixelRect toPixels(const LayoutRect& rect);

}  // namespace corvath
