#pragma once

#include <cstdint>

#include "ui/growth_shade.h"

namespace corvath {

// The treemap's colours, in one place so that a theme can change them.

// A block `depth` levels below the folder shown, inside that folder's
// sub-folder of rank `branch` (largest first): each branch has a hue of its
// own, and each level down is lighter, so that nesting reads at a glance.
Shade branchShade(int branch, int depth);

// The files directly in a folder: grey, lighter with each level down.
Shade ownFilesShade(int depth);

// A shade made lighter with each level below the first, as branchShade does;
// comparing, the growth shades are nested this way.
Shade shadeAtDepth(const Shade& base, int depth);

// The text drawn on a block: near-black or near-white, whichever stands out
// more from the block's colour.
Shade textShadeOn(const Shade& background);

// The light and dark edges that make a block look raised, so that blocks of
// one colour side by side still read as separate blocks.
Shade lightEdgeOf(const Shade& base);
Shade darkEdgeOf(const Shade& base);

}  // namespace corvath
