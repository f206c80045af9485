#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/analysis_engine.h"
#include "engine/count_text.h"
#include "engine/drive_mounts.h"
#include "engine/event_pump.h"
#include "engine/folder_walk.h"
#include "engine/results_sink.h"
#include "engine/scan_root.h"

namespace corvath {

// A drive that has read no entry for this long has stopped answering (a hung
// network or FUSE filesystem): its analysis fails instead of waiting for ever.
inline constexpr std::chrono::milliseconds kStallLimit{60000};

struct ScannerOptions {
    // Workers per scan.
    unsigned threads = kDefaultThreads;
    // kStallLimit; shorter only in tests.
    std::chrono::milliseconds stallLimit = kStallLimit;
    // The mount table. With it, a drive is analyzed only while its filesystem
    // is mounted at its root, before and after the walk, and its scan records
    // that filesystem's identity; without it any folder is scanned as it is.
    DriveMounts* mounts = nullptr;
    // Patterns of folders to leave out of every scan (see FolderExcludes); each
    // scan records them.
    std::vector<std::string> excludedFolders = {};
};

// Our analysis engine: scans one drive (a mount point, or "C:" on Windows) at a time on a pool of
// worker threads, one filesystem only, while the caller's event pump runs.
//
// AnalyzeDrive first makes sure that the results sink can take the scan, so
// that no scan is made only to be lost. FinishDrive hands the last completed
// scan to the results sink once; after a cancelled scan, or when that scan is
// already handed over, it does nothing. A scan whose drive went away during
// the walk fails and is never handed over.
class Scanner : public AnalysisEngine {
public:
    Scanner(EventPump& pump, ResultsSink& results, ScannerOptions options = {});
    ~Scanner() override;
    Scanner(const Scanner&) = delete;
    Scanner& operator=(const Scanner&) = delete;

    void FinishDrive() override;
    void AnalyzeDrive(const std::string& drive) override;
    std::string GetStatusText() override;
    void CancelAnalysis() override;
    std::string GetProcessedBytesText() override;

    // True from the moment AnalyzeDrive has started its workers until it returns.
    bool scanning() const;
    // Totals of the scan running now, else of the last one.
    WalkTotals totals() const;

private:
    struct PumpLink;

    void runWalk(const std::shared_ptr<FolderWalk>& running, const std::shared_ptr<PumpLink>& link,
                 const std::string& root);
    bool endWalk(FolderWalk& walk, PumpLink& link);

    EventPump& pump_;
    ResultsSink& results_;
    ScannerOptions options_;
    FolderExcludes excludes_;
    DigitGrouping grouping_;

    // Held only for copying the members below, never while waiting or doing I/O.
    mutable std::mutex mutex_;
    std::shared_ptr<FolderWalk> running_;
    std::shared_ptr<PumpLink> link_;
    std::string lastFolder_{kPathSeparator};
    WalkTotals lastTotals_{};

    // The completed scan not yet stored.
    std::shared_ptr<FolderWalk> completed_;
    ScanRecord completedRecord_;
};

}  // namespace corvath
