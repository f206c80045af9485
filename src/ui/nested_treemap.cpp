#include "ui/nested_treemap.h"

#include <algorithm>

namespace corvath {
namespace {

bool contains(const PixelRect& r, int x, int y) {
    return x >= r.x && y >= r.y && x < r.x + r.width && y < r.y + r.height;
}

LayoutRect asLayout(const PixelRect& r) {
    return {static_cast<double>(r.x), static_cast<double>(r.y), static_cast<double>(r.width),
            static_cast<double>(r.height)};
}

class Nesting {
public:
    Nesting(TreemapParts& source, const NestingLimits& limits) : source_(source), limits_(limits) {}

    std::vector<NestedBlock> layOut(const void* folder, const PixelRect& area) {
        std::vector<TreemapPart> parts = source_.partsOf(folder);
        NestedBlock root;
        root.part = {folder, 0, false, true};
        for (const TreemapPart& part : parts) root.part.size += part.size;
        if (root.part.size == 0 || area.width <= 0 || area.height <= 0) return {};
        root.rect = area;
        root.content = area;
        blocks_.push_back(root);
        placeParts(std::move(parts), 0);
        return std::move(blocks_);
    }

private:
    // Squarifies the parts into the block's content, then divides those large
    // enough. The parts are appended together first, so that they stay adjacent.
    void placeParts(std::vector<TreemapPart> parts, int holder) {
        std::stable_sort(parts.begin(), parts.end(),
                         [](const TreemapPart& a, const TreemapPart& b) { return a.size > b.size; });
        std::vector<std::uint64_t> sizes(parts.size());
        std::transform(parts.begin(), parts.end(), sizes.begin(), [](const TreemapPart& p) { return p.size; });
        const NestedBlock held = blocks_[static_cast<std::size_t>(holder)];
        const std::vector<LayoutRect> rects = squarify(sizes, asLayout(held.content));
        const auto first = static_cast<int>(blocks_.size());
        int folderRank = 0;
        for (std::size_t i = 0; i < parts.size(); ++i) {
            const PixelRect pixels = toPixels(rects[i]);
            if (pixels.width <= 0 || pixels.height <= 0) continue;
            NestedBlock block;
            block.part = parts[i];
            block.parent = holder;
            block.depth = held.depth + 1;
            block.branch = held.depth > 0 ? held.branch : parts[i].ownFiles ? -1 : folderRank++;
            block.rect = pixels;
            blocks_.push_back(block);
        }
        const auto last = static_cast<int>(blocks_.size());
        blocks_[static_cast<std::size_t>(holder)].firstChild = first;
        blocks_[static_cast<std::size_t>(holder)].childCount = last - first;
        for (int i = first; i < last; ++i) divide(i);
    }

    void divide(int index) {
        NestedBlock& block = blocks_[static_cast<std::size_t>(index)];
        const PixelRect r = block.rect;
        if (!block.part.divisible || block.part.ownFiles || block.depth >= limits_.maxDepth ||
            r.width < limits_.minDivided || r.height < limits_.minDivided) {
            return;
        }
        // A name strip only where it leaves the parts most of the block.
        const bool header = limits_.header > 0 && r.width >= 3 * limits_.header && r.height >= 3 * limits_.header;
        const int top = header ? limits_.header : limits_.gap;
        const PixelRect content{r.x + limits_.gap, r.y + top, r.width - 2 * limits_.gap, r.height - top - limits_.gap};
        if (content.width <= 0 || content.height <= 0) return;
        std::vector<TreemapPart> parts = source_.partsOf(block.part.folder);
        // The folder's own files alone would only repeat the block.
        const bool subFolders =
            std::any_of(parts.begin(), parts.end(), [](const TreemapPart& p) { return !p.ownFiles && p.size > 0; });
        if (!subFolders) return;
        block.content = content;  // before placeParts: it appends, and block may move
        placeParts(std::move(parts), index);
        NestedBlock& divided = blocks_[static_cast<std::size_t>(index)];
        if (divided.childCount == 0) divided.content = {};
    }

    TreemapParts& source_;
    const NestingLimits& limits_;
    std::vector<NestedBlock> blocks_;
};

}  // namespace

std::vector<NestedBlock> layOutNested(TreemapParts& source, const void* folder, const PixelRect& area,
                                      const NestingLimits& limits) {
    return Nesting(source, limits).layOut(folder, area);
}

int nestedBlockAt(const std::vector<NestedBlock>& blocks, int x, int y) {
    if (blocks.empty() || !contains(blocks.front().rect, x, y)) return -1;
    int found = 0;
    bool deeper = true;
    while (deeper) {
        deeper = false;
        const NestedBlock& at = blocks[static_cast<std::size_t>(found)];
        for (int i = at.firstChild; i < at.firstChild + at.childCount; ++i) {
            if (contains(blocks[static_cast<std::size_t>(i)].rect, x, y)) {
                found = i;
                deeper = true;
                break;
            }
        }
    }
    return found;
}

int siblingBlock(const std::vector<NestedBlock>& blocks, int block, int step) {
    if (block <= 0 || block >= static_cast<int>(blocks.size())) return block;
    const NestedBlock& holder = blocks[static_cast<std::size_t>(blocks[static_cast<std::size_t>(block)].parent)];
    return std::clamp(block + step, holder.firstChild, holder.firstChild + holder.childCount - 1);
}

}  // namespace corvath
