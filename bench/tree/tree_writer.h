#pragma once

#include "tree/tree_plan.h"

#include <cstdint>

namespace corvath::bench {

struct WriteTotals {
    std::uint64_t folders = 0;
    std::uint64_t regular = 0;
    std::uint64_t sparse = 0;
    std::uint64_t hardLinks = 0;
    std::uint64_t symlinks = 0;
    std::uint64_t dataBytes = 0;  // bytes actually written, sparse holes excluded
};

// Fills the open, empty folder `rootFd` with the planned tree. Every call is
// relative to an open folder, so the deep chain's paths may exceed PATH_MAX.
// Throws std::system_error naming the entry that failed.
WriteTotals writeTree(const TreePlan& plan, int rootFd);

// Removes folder `name` under `parentFd` and everything below it, without
// following symbolic links and without building full paths.
void removeTree(int parentFd, const char* name);

}  // namespace corvath::bench
