#pragma once

#include "tree/tree_plan.h"
#include "tree/tree_writer.h"

#include <ostream>
#include <string>

namespace corvath::bench {

// The stamp in a tree's root naming the parameters that made it.
inline constexpr const char* kStampName = ".corvath-bench-stamp";

struct EnsureOutcome {
    bool created = false;  // false: the tree at the path was already the one wanted
    WriteTotals totals;    // when created
};

// Makes sure `path` holds the tree `params` describe. A tree stamped with the same
// parameters is kept; one stamped with others is replaced; a path without our
// stamp is refused (std::runtime_error) and left untouched. The tree is built
// under "PATH.building" and renamed when complete, so an interrupted run never
// leaves a half tree that looks finished. Removals are reported on `log`.
EnsureOutcome ensureTree(const TreeParameters& params, const std::string& path, std::ostream& log);

}  // namespace corvath::bench
