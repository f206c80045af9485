#pragma once

#include <cstdint>
#include <vector>

#include "ui/treemap_layout.h"

namespace corvath {

// A part of a folder as the nested treemap draws it: one of its sub-folders, or
// its own files (the files directly in it: one block, never divided).
struct TreemapPart {
    const void* folder = nullptr;  // the sub-folder; for own files, the folder they are in
    std::uint64_t size = 0;
    bool ownFiles = false;
    bool divisible = false;  // it has sub-folders that may be drawn inside it
};

// Where the layout gets a folder's parts. It asks only about the folder shown
// and folders whose block is large enough to be divided, so a source that reads
// parts on demand reads few, however large the scan.
class TreemapParts {
public:
    virtual ~TreemapParts() = default;
    virtual std::vector<TreemapPart> partsOf(const void* folder) = 0;
};

// How deep and how small the nested layout goes, in levels and pixels.
struct NestingLimits {
    int maxDepth = 4;     // levels below the folder shown that are drawn
    int minDivided = 16;  // a block is divided only when both its sides reach this
    int gap = 2;          // between a divided block's edges and its parts
    int header = 0;       // strip above a divided block's parts, for its name; 0 for none
};

// One block of the picture. Block 0 is the folder shown, filling the whole
// area; the parts of a divided block follow one another (firstChild, childCount),
// always after the block itself, so drawing in order paints parents first.
struct NestedBlock {
    TreemapPart part;
    int parent = -1;  // -1 for block 0
    int depth = 0;    // 0 for block 0, 1 for its parts
    int branch = -1;  // rank of the sub-folder of the folder shown it lies in; -1 for that folder's own files
    int firstChild = 0;
    int childCount = 0;
    PixelRect rect;     // where it is drawn
    PixelRect content;  // where its parts lie; empty when it is not divided
    bool divided() const { return childCount > 0; }
};

// Lays the folder out in area, nested: each folder's parts are squarified
// into its block's content, largest first, to limits.maxDepth levels. A part
// that rounds to no pixel is left out, so the parts that are drawn fill their
// parent's content exactly. Empty when the folder has nothing to draw.
std::vector<NestedBlock> layOutNested(TreemapParts& source, const void* folder, const PixelRect& area,
                                      const NestingLimits& limits);

// The deepest block at a point: a part, or 0 for the folder shown where no part
// is drawn; -1 outside the area.
int nestedBlockAt(const std::vector<NestedBlock>& blocks, int x, int y);

// The block `step` places along among its siblings (which are in size order),
// kept within them.
int siblingBlock(const std::vector<NestedBlock>& blocks, int block, int step);

}  // namespace corvath
