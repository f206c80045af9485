#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/entry_sink.h"
#include "engine/folder_excludes.h"
#include "engine/folder_table.h"
#include "engine/largest_files.h"

namespace corvath {

// Where a worker is with a folder; see WalkOptions::stepHook.
enum class WalkStep { Opening, Reading };

// Workers per scan unless told otherwise. More than the cores pays off on a
// cold cache, where most of the time is spent waiting for the disk, and costs
// nothing warm.
inline constexpr unsigned kDefaultThreads = 8;

struct WalkOptions {
    unsigned threads = kDefaultThreads;
    // Where every folder's entries go (for an export); without one, a scan keeps
    // per-folder totals only. Must outlive the walk's workers.
    EntrySink* entrySink = nullptr;
    // Open folders with openat2 where the kernel has it; off only to try the
    // fallback for older kernels.
    bool useOpenat2 = true;
    // Called on the worker with the folder's path below the root ("" for the
    // root) just before it opens the folder, and again just before it reads the
    // entries; lets a test change the tree at that very moment. Unset otherwise.
    std::function<void(WalkStep, const std::string&)> stepHook = nullptr;
    // Folders not to enter: each is kept as a node marked excluded.
    FolderExcludes excludes = {};
};

// What a finished scan of a quiet tree reports, and how it lines up with the
// standard tools:
// - allocated equals `du -s -x -B1 PATH` and apparent `du -s -x -b PATH`: every
//   entry's own size (folders, the root, symbolic links and other special files
//   included), a file with several links once per scan (keyed by device and
//   inode, folders never), a mount point not entered not at all. A bind mount of
//   the same filesystem is a mount point too (du enters it), where the kernel
//   can tell (openat2).
// - files + folders equals the number of lines of `find PATH -xdev`, and folders
//   those of `find PATH -xdev -type d`: every name once (each link of a file, each
//   symbolic link as a file, never followed), the root and each mount point not
//   entered as folders.
// - errors: folders that could not be opened or read (their own size still
//   counts, as du counts it) and entries that could not be examined. Entries that
//   vanish while the scan runs, folders included, are simply not counted.
struct WalkTotals {
    std::uint64_t allocated = 0;  // st_blocks * 512
    std::uint64_t apparent = 0;   // st_size
    std::uint64_t files = 0;
    std::uint64_t folders = 0;
    std::uint64_t errors = 0;
};

struct WalkState;

// One scan of the folder tree below a path, on one filesystem, by a pool of
// worker threads. The workers share their state with this handle, so a worker
// held up in a slow system call after a cancel can be left behind without
// touching anything the caller owns.
//
// File descriptors: the walk uses only those free under the open-file limit
// when it starts (RLIMIT_NOFILE less those already open), two per worker and the
// rest, up to a quarter of the limit, for folders kept open as starting points.
// With few free it runs fewer workers and keeps fewer folders, and reaches deep
// folders from a kept ancestor a piece of path at a time: the totals stay
// exact. It needs at least kLeastFreeDescriptors free (a limit of 7 for a
// program with only its three standard streams open) and refuses to start
// with fewer; should the process run out all the same, the walk fails rather
// than lose a folder.
class FolderWalk {
public:
    static constexpr int kLeastFreeDescriptors = 3;

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
    // A worker's unexpected failure (out of memory, too many folders, out of
    // file descriptors), or "".
    std::string failure() const;

    // Cheap snapshots, safe from any thread while the scan runs.
    WalkTotals totals() const;
    // A folder being scanned, as a full path ("/", "/home/user").
    std::string currentFolder() const;

    std::uint64_t rootDevice() const;
    // The bytes in use on the root's filesystem now, as the system counts them
    // (statvfs: blocks less free blocks, in fragments); asked for on a thread
    // of its own, after the walk (a filesystem that hangs on the question must
    // not stop the walk), waiting up to kDriveUsageWait; nullopt when the
    // system would not tell by then.
    std::optional<std::uint64_t> driveUsedBytes() const;
    // The kernel's ID of the mount the root folder lies on; 0 where unknown.
    std::uint64_t rootMountId() const;
    // Only once stopped.
    FolderTable& folders();
    // The scan's LargestFiles::kKept largest regular files (each file with
    // several links once), largest first. Only once stopped.
    std::vector<LargeFile> largestFiles() const;

private:
    std::shared_ptr<WalkState> state_;
    std::vector<std::thread> threads_;  // used from the owner's thread only
};

}  // namespace corvath
