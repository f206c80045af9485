#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/folder_table.h"

namespace corvath {

struct WalkOptions {
    unsigned threads = 8;
    // Keep every entry of every folder (for an export); a plain scan keeps
    // per-folder totals only.
    bool keepEntries = false;
};

struct WalkTotals {
    std::uint64_t allocated = 0;  // st_blocks * 512, each file with several links once
    std::uint64_t apparent = 0;   // st_size, likewise
    std::uint64_t files = 0;      // every entry that is not a folder, each link name counted
    std::uint64_t folders = 0;    // the root, every folder, and mount points not entered
    std::uint64_t errors = 0;     // folders that could not be read, entries that could not be examined
};

struct WalkState;

// One scan of the folder tree below a path, on one filesystem, by a pool of
// worker threads. The workers share their state with this handle, so a worker
// held up in a slow system call after a cancel can be left behind without
// touching anything the caller owns.
class FolderWalk {
public:
    // Opens the root folder; throws EngineError "cannot analyze PATH: reason".
    FolderWalk(const std::string& rootPath, WalkOptions options);
    ~FolderWalk();
    FolderWalk(const FolderWalk&) = delete;
    FolderWalk& operator=(const FolderWalk&) = delete;

    // Starts the workers; onStopped runs once, on the last worker to stop.
    void start(std::function<void()> onStopped);
    // Safe from any thread, any number of times.
    void cancel();
    bool cancelled() const;
    // Waits for every worker to stop, up to the deadline; true when all have,
    // after which the results below are complete and no worker runs any more.
    bool waitStopped(std::chrono::steady_clock::time_point deadline);
    // A worker's unexpected failure (out of memory, too many folders), or "".
    std::string failure() const;

    // Cheap snapshots, safe from any thread while the scan runs.
    WalkTotals totals() const;
    // A folder being scanned, as a full path ("/", "/home/user").
    std::string currentFolder() const;

    const std::string& rootPath() const;
    std::uint64_t rootDevice() const;
    // Only once stopped.
    FolderTable& folders();

private:
    std::shared_ptr<WalkState> state_;
    std::vector<std::thread> threads_;
};

// rootPath joined with a relative path, "/" between them when needed.
std::string joinPath(const std::string& rootPath, const std::string& relative);

}  // namespace corvath
