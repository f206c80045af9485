#pragma once

#include <string>
#include <utility>

#include "engine/results_sink.h"

namespace corvath {

// The scans database. Stores each completed scan, creating its folder and
// tables as needed, all in one transaction:
//   scans(id, drive, started, finished, allocated, apparent, files, folders, errors)
//     one row per drive and run; times are UTC, "YYYY-MM-DDTHH:MM:SS.mmmZ";
//     folders counts the root and every folder below it.
//   folders(scan, path, allocated, apparent, files, folders)
//     one row per scanned folder; path is a BLOB of the raw bytes; the totals
//     include everything below the folder; folders counts those below it.
// Throws EngineError when the database cannot be written; the file is then
// left exactly as it was.
class ResultsDatabase : public ResultsSink {
public:
    explicit ResultsDatabase(std::string path) : path_(std::move(path)) {}
    void storeScan(const ScanRecord& record, const FolderTable& folders) override;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace corvath
