#pragma once

#include <chrono>
#include <string>

#include "engine/folder_table.h"
#include "engine/folder_walk.h"

namespace corvath {

struct ScanRecord {
    std::string drive;
    std::string rootPath;  // folder paths are stored under it
    std::chrono::system_clock::time_point started;
    std::chrono::system_clock::time_point finished;
    WalkTotals totals;
};

// Stores one completed scan in the results database, creating its folder and
// tables as needed, all in one transaction:
//   scans(id, drive, started, finished, allocated, apparent, files, folders, errors)
//     one row per drive and run; times are UTC, "YYYY-MM-DDTHH:MM:SS.mmmZ";
//     folders counts the root and every folder below it.
//   folders(scan, path, allocated, apparent, files, folders)
//     one row per scanned folder; path is a BLOB of the raw bytes; the totals
//     include everything below the folder; folders counts those below it.
// The folders' totals must already be summed up. Throws EngineError when the
// database cannot be written; the file is then left exactly as it was.
void storeScan(const std::string& databasePath, const ScanRecord& record, const FolderTable& folders);

}  // namespace corvath
