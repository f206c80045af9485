#include "ui/treemap_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

namespace corvath {
namespace {

double overlap(const LayoutRect& a, const LayoutRect& b) {
    const double w = std::min(a.x + a.width, b.x + b.width) - std::max(a.x, b.x);
    const double h = std::min(a.y + a.height, b.y + b.height) - std::max(a.y, b.y);
    return w > 0 && h > 0 ? w * h : 0;
}

LayoutRect asLayout(const PixelRect& p) {
    return {static_cast<double>(p.x), static_cast<double>(p.y), static_cast<double>(p.width),
            static_cast<double>(p.height)};
}

// Every rectangle inside the bounds, none overlapping another, together filling
// the bounds, each with its share of the area.
void expectTiling(const std::vector<std::uint64_t>& sizes, const LayoutRect& bounds) {
    const auto rects = squarify(sizes, bounds);
    ASSERT_EQ(rects.size(), sizes.size());
    const double total = std::accumulate(sizes.begin(), sizes.end(), 0.0,
                                         [](double s, std::uint64_t v) { return s + static_cast<double>(v); });
    double covered = 0;
    int pixelsCovered = 0;
    for (std::size_t i = 0; i < rects.size(); ++i) {
        const LayoutRect& r = rects[i];
        EXPECT_GE(r.x, bounds.x - 1e-9);
        EXPECT_GE(r.y, bounds.y - 1e-9);
        EXPECT_LE(r.x + r.width, bounds.x + bounds.width + 1e-6);
        EXPECT_LE(r.y + r.height, bounds.y + bounds.height + 1e-6);
        const double expected = bounds.area() * static_cast<double>(sizes[i]) / total;
        EXPECT_NEAR(r.area(), expected, 1e-6 * bounds.area()) << "item " << i;
        covered += r.area();

        // In whole pixels an area may be off by at most a pixel along each edge.
        const PixelRect p = toPixels(r);
        pixelsCovered += p.width * p.height;
        EXPECT_NEAR(p.width * p.height, expected, r.width + r.height + 1) << "item " << i;
        for (std::size_t j = 0; j < i; ++j) {
            EXPECT_NEAR(overlap(r, rects[j]), 0, 1e-6) << "items " << j << " and " << i;
            EXPECT_EQ(overlap(asLayout(p), asLayout(toPixels(rects[j]))), 0) << "items " << j << " and " << i;
        }
    }
    EXPECT_NEAR(covered, bounds.area(), 1e-6 * bounds.area());
    EXPECT_EQ(pixelsCovered, static_cast<int>(bounds.area()));
}

TEST(TreemapLayout, RectanglesFillTheirParentInProportion) {
    expectTiling({600, 600, 400, 400, 300, 200, 200, 100}, {0, 0, 600, 400});
    expectTiling({5, 80, 13, 1, 1, 40, 7, 300, 2}, {17, 9, 333, 211});  // unsorted, off the origin
    expectTiling({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, {0, 0, 120, 800});  // tall
    std::vector<std::uint64_t> many(500);
    for (std::size_t i = 0; i < many.size(); ++i) many[i] = 1 + (i * 7919) % 1000;
    expectTiling(many, {0, 0, 1000, 700});
}

TEST(TreemapLayout, EqualSizesComeOutSquare) {
    const auto rects = squarify(std::vector<std::uint64_t>(16, 10), {0, 0, 400, 400});
    for (const auto& r : rects) {
        EXPECT_LE(std::max(r.width / r.height, r.height / r.width), 1.5);
    }
}

TEST(TreemapLayout, OneItemFillsEverything) {
    const auto rects = squarify({42}, {3, 4, 50, 60});
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_DOUBLE_EQ(rects[0].x, 3);
    EXPECT_DOUBLE_EQ(rects[0].y, 4);
    EXPECT_DOUBLE_EQ(rects[0].width, 50);
    EXPECT_DOUBLE_EQ(rects[0].height, 60);
}

TEST(TreemapLayout, ZeroSizesGetNoArea) {
    const auto rects = squarify({0, 30, 0, 10}, {0, 0, 100, 100});
    EXPECT_EQ(rects[0].area(), 0);
    EXPECT_EQ(rects[2].area(), 0);
    EXPECT_NEAR(rects[1].area(), 7500, 1e-6);
    EXPECT_NEAR(rects[3].area(), 2500, 1e-6);

    for (const auto& r : squarify({0, 0, 0}, {0, 0, 100, 100})) EXPECT_EQ(r.area(), 0);
    for (const auto& r : squarify({5, 6}, {0, 0, 0, 100})) EXPECT_EQ(r.area(), 0);
    EXPECT_TRUE(squarify({}, {0, 0, 100, 100}).empty());
}

TEST(TreemapLayout, VeryUnequalSizesStillFill) {
    const std::uint64_t huge = std::uint64_t{1} << 62;
    const std::vector<std::uint64_t> sizes{huge, huge, 1, huge / 1000};
    expectTiling(sizes, {0, 0, 800, 600});
    const auto rects = squarify(sizes, {0, 0, 800, 600});
    // Far below a pixel, and never a negative extent.
    EXPECT_GE(rects[2].width, 0);
    EXPECT_GE(rects[2].height, 0);
    EXPECT_LT(rects[2].area(), 1e-9);
}

}  // namespace
}  // namespace corvath
