#include "ui/treemap_layout.h"
#include "ui/nested_treemap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <set>
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

// Folders in memory; remembers which were asked for their parts.
struct Folder {
    std::uint64_t own = 0;
    std::vector<Folder> subs;
    std::uint64_t size() const {
        std::uint64_t total = own;
        for (const Folder& sub : subs) total += sub.size();
        return total;
    }
};

class FolderParts : public TreemapParts {
public:
    std::vector<TreemapPart> partsOf(const void* folder) override {
        const auto* at = static_cast<const Folder*>(folder);
        asked.insert(at);
        std::vector<TreemapPart> parts;
        for (const Folder& sub : at->subs) parts.push_back({&sub, sub.size(), false, !sub.subs.empty()});
        parts.push_back({at, at->own, true, false});
        return parts;
    }
    std::set<const void*> asked;
};

bool inside(const PixelRect& inner, const PixelRect& outer) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

TEST(NestedTreemap, DividesOnlyBlocksLargeEnoughToTheDepthLimitAndAsksOnlyForThose) {
    // A chain six deep beside much larger own files, and a folder too small to divide.
    Folder root{1000, {}};
    Folder* at = &root;
    for (int level = 0; level < 6; ++level) {
        at->subs.push_back({3000, {}});
        at = &at->subs.back();
    }
    root.subs.push_back({1, {{1, {}}}});
    const Folder& tiny = root.subs.back();
    FolderParts parts;
    const NestingLimits limits{3, 16, 2, 12};
    const std::vector<NestedBlock> blocks = layOutNested(parts, &root, {10, 20, 400, 300}, limits);

    ASSERT_FALSE(blocks.empty());
    EXPECT_EQ(blocks[0].part.size, root.size());
    int deepest = 0;
    for (std::size_t i = 1; i < blocks.size(); ++i) {
        const NestedBlock& block = blocks[i];
        const NestedBlock& holder = blocks[static_cast<std::size_t>(block.parent)];
        EXPECT_EQ(block.depth, holder.depth + 1);
        EXPECT_TRUE(inside(block.rect, holder.content)) << i;
        deepest = std::max(deepest, block.depth);
        // Asked about exactly the blocks divided; a divided block large enough has a name strip.
        const bool divided = block.divided();
        EXPECT_EQ(divided, parts.asked.count(block.part.folder) == 1 && !block.part.ownFiles) << i;
        if (divided && block.rect.height >= 36 && block.rect.width >= 36) {
            EXPECT_EQ(block.content.y, block.rect.y + 12);
            EXPECT_EQ(block.content.x, block.rect.x + 2);
            EXPECT_EQ(block.content.x + block.content.width, block.rect.x + block.rect.width - 2);
        }
    }
    EXPECT_EQ(deepest, 3);
    EXPECT_EQ(parts.asked.size(), 3u) << "the folder shown and the chain's first two levels";
    EXPECT_EQ(parts.asked.count(&tiny), 0u);
}

TEST(NestedTreemap, FindsTheDeepestBlockAtAPointAndStepsAmongSiblings) {
    Folder root{100, {{400, {{300, {}}, {200, {}}}}, {300, {}}}};
    FolderParts parts;
    const std::vector<NestedBlock> blocks = layOutNested(parts, &root, {0, 0, 300, 200}, {4, 16, 2, 14});
    ASSERT_EQ(blocks[0].childCount, 3);
    const int big = blocks[0].firstChild;
    ASSERT_TRUE(blocks[static_cast<std::size_t>(big)].divided());
    const NestedBlock& divided = blocks[static_cast<std::size_t>(big)];
    EXPECT_EQ(nestedBlockAt(blocks, divided.rect.x + 5, divided.rect.y + 3), big) << "its name strip";
    const NestedBlock& part = blocks[static_cast<std::size_t>(divided.firstChild)];
    EXPECT_EQ(nestedBlockAt(blocks, part.rect.x + part.rect.width - 1, part.rect.y + part.rect.height - 1),
              divided.firstChild);
    EXPECT_EQ(nestedBlockAt(blocks, 300, 10), -1);

    // Siblings in size order, kept among themselves.
    EXPECT_EQ(siblingBlock(blocks, big, -1), big);
    EXPECT_EQ(siblingBlock(blocks, big, 1), big + 1);
    EXPECT_EQ(siblingBlock(blocks, big + 2, 5), big + 2);
    const int last = divided.firstChild + divided.childCount - 1;
    EXPECT_EQ(siblingBlock(blocks, last, 1), last);
    EXPECT_GE(blocks[static_cast<std::size_t>(big)].part.size, blocks[static_cast<std::size_t>(big + 1)].part.size);
}

}  // namespace
}  // namespace corvath
