#pragma once

#include <cstdint>
#include <string>

#include "engine/folder_table.h"
#include "results/connection.h"

namespace corvath {

// Stores a scan's folders (totals summed up), inside the caller's write
// transaction, and returns the root's node. Each folder is matched by name to
// the same folder in previousRoot's tree (the drive's latest scan, or 0): one
// whose totals, flags and sub-folders are all unchanged is that scan's node,
// stored once; one that changed is stored anew, its sub-folders listed as the
// changes from the earlier one's. So a rescan writes little more than what
// changed, and the folders that two scans share are the same nodes.
std::int64_t storeTree(Connection& db, const FolderTable& table, const std::string& rootName,
                       std::int64_t previousRoot);

}  // namespace corvath
