#include "ui/treemap_layout.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace corvath {
namespace {

// The worst aspect ratio of a row of areas laid along a side of this length.
double worstRatio(double rowArea, double smallest, double largest, double side) {
    const double side2 = side * side;
    const double row2 = rowArea * rowArea;
    return std::max(side2 * largest / row2, row2 / (side2 * smallest));
}

}  // namespace

std::vector<LayoutRect> squarify(const std::vector<std::uint64_t>& sizes, const LayoutRect& bounds) {
    std::vector<LayoutRect> result(sizes.size(), LayoutRect{bounds.x, bounds.y, 0, 0});
    const double total = std::accumulate(sizes.begin(), sizes.end(), 0.0,
                                         [](double sum, std::uint64_t size) { return sum + static_cast<double>(size); });
    if (total <= 0 || bounds.width <= 0 || bounds.height <= 0) return result;

    // Largest first, as the algorithm needs; zero sizes are left out.
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        if (sizes[i] > 0) order.push_back(i);
    }
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return sizes[a] > sizes[b]; });
    const double scale = bounds.area() / total;
    const auto areaOf = [&](std::size_t i) { return static_cast<double>(sizes[i]) * scale; };

    LayoutRect free = bounds;
    std::size_t next = 0;
    while (next < order.size()) {
        const bool alongHeight = free.width >= free.height;  // the row is a column at the left
        const double side = alongHeight ? free.height : free.width;

        // Grow the row while that does not make its worst rectangle worse.
        std::size_t end = next + 1;
        double rowArea = areaOf(order[next]);
        double largest = rowArea;
        double smallest = rowArea;
        while (end < order.size()) {
            const double area = areaOf(order[end]);
            const double before = worstRatio(rowArea, smallest, largest, side);
            const double after = worstRatio(rowArea + area, std::min(smallest, area), largest, side);
            if (after > before) break;
            rowArea += area;
            smallest = std::min(smallest, area);
            ++end;
        }

        // The last row takes whatever is left, so rounding leaves no sliver.
        const bool lastRow = end == order.size();
        const double freeLength = alongHeight ? free.width : free.height;
        const double thickness = lastRow ? freeLength : std::min(freeLength, rowArea / side);
        double offset = 0;
        for (std::size_t k = next; k < end; ++k) {
            const double length = k + 1 == end ? std::max(0.0, side - offset) : areaOf(order[k]) / thickness;
            LayoutRect& r = result[order[k]];
            if (alongHeight) {
                r = {free.x, free.y + offset, thickness, length};
            } else {
                r = {free.x + offset, free.y, length, thickness};
            }
            offset += length;
        }
        if (alongHeight) {
            free.x += thickness;
            free.width -= thickness;
        } else {
            free.y += thickness;
            free.height -= thickness;
        }
        next = end;
    }
    return result;
}

PixelRect toPixels(const LayoutRect& rect) {
    const auto left = static_cast<int>(std::lround(rect.x));
    const auto top = static_cast<int>(std::lround(rect.y));
    const auto right = static_cast<int>(std::lround(rect.x + rect.width));
    const auto bottom = static_cast<int>(std::lround(rect.y + rect.height));
    return {left, top, right - left, bottom - top};
}

}  // namespace corvath
