#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "results/connection.h"
#include "results/stored_scan.h"

namespace corvath {

// Reading scans and nodes back, shared by the writer and the reader.
inline constexpr const char* kScanColumns =
    "id, drive, root_path, started, finished, allocated, apparent, files, folders, errors, root_node,"
    " COALESCE(drive_key, drive), drive_used, excludes";
// Selects the scans of one drive, by its key (StoredScan::driveKey).
inline constexpr const char* kOfDrive = "COALESCE(drive_key, drive) = ?";
StoredScan scanFromRow(const Statement& row);
// The excludes column: the patterns with a TAB between each two ("" for none).
std::string joinExcludes(const std::vector<std::string>& patterns);
std::vector<std::string> splitExcludes(std::string_view text);
// Runs a query that selects kScanColumns.
std::vector<StoredScan> readScans(Connection& db, const std::string& query, const std::optional<std::string>& text);

// Deletes the nodes that no scan holds any more (mark and sweep from every
// scan's root, through sub-folders and bases); returns how many.
std::size_t removeUnheldNodes(Connection& db);

}  // namespace corvath
