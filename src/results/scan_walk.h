#pragma once

#include <optional>
#include <stop_token>

#include "results/connection.h"
#include "results/scan_folders.h"
#include "results/stored_scan.h"

namespace corvath {

// Reads every folder of the scan in one pass down the nodes table, from the
// scan's root node to its smallest. A node's sub-folders and its base always
// have smaller ids than it (a node is written after them), so a walk that
// keeps the ids still to visit and reads rows in descending order meets each
// one ahead of it; runs of rows it does not need are skipped by seeking.
// nullopt when stopped. Throws ResultsError on a damaged file.
std::optional<ScanFolders> walkScan(Connection& db, const StoredScan& scan, std::stop_token stop);

}  // namespace corvath
