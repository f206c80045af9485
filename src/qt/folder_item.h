#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "results/scan_reader.h"
#include "results/stored_scan.h"

namespace corvath {

// A folder of the shown scan as the results tree holds it, with the same folder
// in the earlier scan when two scans are compared. Toolkit-free, so that the
// pairing of the two scans is plain code.
struct FolderItem {
    FolderItem* parent = nullptr;
    int row = 0;
    std::string path;  // raw bytes
    StoredFolder now;     // node 0: gone since the earlier scan
    StoredFolder before;  // when comparing; node 0: new since the earlier scan
    bool fetched = false;
    bool trashed = false;
    // The folder's own entry and files, without its sub-folders; known once fetched.
    std::uint64_t ownNow = 0;
    std::uint64_t ownBefore = 0;
    std::vector<std::unique_ptr<FolderItem>> children;

    const std::string& name() const { return now.node != 0 ? now.name : before.name; }
    bool gone() const { return now.node == 0; }
    std::int64_t grown() const {
        return static_cast<std::int64_t>(now.allocated) - static_cast<std::int64_t>(before.allocated);
    }
    // Whether opening it may show rows: sub-folders now, or gone ones.
    bool mayHaveChildren(bool comparing) const;
};

// What went to the trash, as the scan counted it.
struct TakenOut {
    std::uint64_t allocated = 0;
    std::uint64_t apparent = 0;
    std::uint64_t files = 0;
    std::uint64_t folders = 0;
};

// Takes it out of the folder's totals and those of every folder above it, so
// that what the tree shows stays the scan less what went.
void takeOutOfTotals(FolderItem* from, const TakenOut& taken);

// Reads the item's sub-folders, largest first, then (when comparing) those gone
// since the earlier scan, largest first. A subtree both scans share is paired
// with itself without reading the earlier scan. Throws ResultsError.
void readChildren(const ScanReader& reader, FolderItem& item, bool comparing);

}  // namespace corvath
