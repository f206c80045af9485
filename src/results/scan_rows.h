#pragma once

#include <optional>
#include <string>
#include <vector>

#include "results/connection.h"
#include "results/stored_scan.h"

namespace corvath {

// Reading scans and nodes back, shared by the writer and the reader.
inline constexpr const char* kScanColumns =
    "id, drive, root_path, started, finished, allocated, apparent, files, folders, errors, root_node,"
    " COALESCE(drive_key, drive)";
// Selects the scans of one drive, by its key (StoredScan::driveKey).
inline constexpr const char* kOfDrive = "COALESCE(drive_key, drive) = ?";
StoredScan scanFromRow(const Statement& row);
// Runs a query that selects kScanColumns.
std::vector<StoredScan> readScans(Connection& db, const std::string& query, const std::optional<std::string>& text);

// Deletes the nodes that no scan holds any more (mark and sweep from every
// scan's root, through sub-folders and bases); returns how many.
std::size_t removeUnheldNodes(Connection& db);

}  // namespace corvath
