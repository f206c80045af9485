#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/folder_table.h"
#include "engine/folder_walk.h"
#include "engine/largest_files.h"

namespace corvath {

struct ScanRecord {
    std::string drive;
    std::string rootPath;  // folder paths are stored under it
    std::chrono::system_clock::time_point started;
    std::chrono::system_clock::time_point finished;
    WalkTotals totals;
    std::vector<LargeFile> largestFiles;  // largest first
    // What identifies the drive's filesystem wherever it is mounted (see
    // DriveMount::volume); "" when it has nothing, and the drive is known by its
    // name alone.
    std::string volume;
    // The bytes in use on the drive as the system counted them, beside what
    // the scan counted; nullopt when the system would not tell.
    std::optional<std::uint64_t> driveUsed = std::nullopt;
    // The exclude patterns the scan ran with.
    std::vector<std::string> excludes = {};
};

// Where FinishDrive hands a completed scan. The engine stores nothing itself.
class ResultsSink {
public:
    virtual ~ResultsSink() = default;
    // Makes sure a scan could be stored now, before one is made. Throws
    // EngineError with the reason when it could not.
    virtual void prepare() = 0;
    // The folders' totals are already summed up. Throws EngineError when the
    // scan cannot be kept; whatever was kept before stays as it was.
    virtual void storeScan(const ScanRecord& record, const FolderTable& folders) = 0;
};

}  // namespace corvath
