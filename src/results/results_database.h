#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <utility>

#include "engine/results_sink.h"
#include "results/retention.h"

namespace corvath {

// Where completed scans are stored. Each call opens the file, so any number of
// writers and readers may share it; a writer waits for another's lock (up to
// lockWait, kLockWait unless told) rather than lose its scan.
class ResultsDatabase : public ResultsSink {
public:
    static constexpr std::chrono::seconds kLockWait{120};

    explicit ResultsDatabase(std::string path, RetentionRule rule = {},
                             std::chrono::milliseconds lockWait = kLockWait)
        : path_(std::move(path)), rule_(rule), lockWait_(lockWait) {}

    // Opens the file for writing as storeScan would (making it, or converting an
    // older one): throws EngineError when a scan could not be stored.
    void prepare() override;

    // Stores the scan in one transaction, sharing the folders that an earlier
    // scan already holds, then applies the retention rule to its drive. Throws
    // EngineError when the scan cannot be kept; the file is then as it was.
    void storeScan(const ScanRecord& record, const FolderTable& folders) override;

    // Applies the retention rule to every drive now and frees what no scan
    // holds any more. Returns how many scans it removed. Throws ResultsError.
    std::size_t prune(std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

    const std::string& path() const { return path_; }

private:
    std::string path_;
    RetentionRule rule_;
    std::chrono::milliseconds lockWait_;
};

}  // namespace corvath
