// The state a folder walk's workers share: the handle's side is in
// folder_walk_handle.cpp and folder_walk.cpp, the scan of one folder in
// folder_scan.cpp.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

#include "engine/posix/folder_open.h"
#include "engine/folder_table.h"
#include "engine/folder_walk.h"
#include "engine/hard_link_set.h"
#include "engine/largest_files.h"
#include "engine/posix/unique_fd.h"
#include "engine/walk_pool.h"

namespace corvath {

inline std::uint64_t allocatedBytes(const struct stat& st) { return static_cast<std::uint64_t>(st.st_blocks) * 512u; }

// An open folder kept as the starting point for opening its descendants;
// closed when the last of them has been opened. Its place in the count was
// reserved before it was made (WalkState::reserveKept).
struct KeptFolder {
    KeptFolder(UniqueFd descriptor, std::uint32_t folder, std::atomic<int>& count)
        : fd(std::move(descriptor)), node(folder), openCount(count) {}
    ~KeptFolder() {
        fd.reset();
        if (!placeHandedOn) openCount.fetch_sub(1, std::memory_order_relaxed);
    }
    KeptFolder(const KeptFolder&) = delete;
    KeptFolder& operator=(const KeptFolder&) = delete;
    UniqueFd fd;
    std::uint32_t node;
    std::atomic<int>& openCount;
    bool placeHandedOn = false;  // its place in the count went to a descendant
};

struct WorkItem {
    std::uint32_t node = 0;
    std::uint32_t relativeLength = 0;  // of the path from the anchor to this folder
    std::shared_ptr<KeptFolder> anchor;  // null for the root
};

// One folder while a worker reads it: its descriptor, where its sub-folders are
// opened from, and what it counted that the shared totals do not hold yet (the
// entries' names point into the read buffer, which the next read overwrites).
struct FolderScan : FolderTally {
    FolderScan(std::uint32_t folder, FolderNode& own, int descriptor, LargestFiles& workerLargest)
        : FolderTally(folder, own, workerLargest), fd(descriptor) {}

    int fd;
    UniqueFd ownFd;  // the descriptor when the folder is not kept for its sub-folders
    std::shared_ptr<KeptFolder> childAnchor;
    std::size_t childBase = 0;  // length of the path from childAnchor to this folder, plus "/"
    std::vector<WorkItem> found;
};

// The size of a worker's buffer for getdents64.
constexpr std::size_t kDirentBuffer = 32 * 1024;

// Shared by the workers and the FolderWalk handle; what both platforms share is
// in WalkPool. Fields that change during the scan say what guards them.
struct WalkState : WalkPool<WalkState, WorkItem> {
    // What a worker keeps across the folders it scans.
    struct Worker {
        std::vector<char> buffer = std::vector<char>(kDirentBuffer);
        LargestFiles largest;
    };

    // Set before the workers start, read only afterwards.
    struct stat rootStat {};
    std::uint64_t rootMountId = 0;  // 0 where the kernel does not tell
    std::optional<FolderOpener> opener;  // itself safe from any thread
    // Folders kept open for their sub-folders: keptBudget for any folder,
    // keptMost for one whose sub-folders' paths would need more than one open.
    int keptBudget = 0;
    int keptMost = 0;
    rlim_t descriptorLimit = 0;  // RLIMIT_NOFILE when the walk started
    // Closed by the last worker to stop (and by the destructor when none ran).
    UniqueFd rootFd;

    std::atomic<int> keptOpen{0};  // KeptFolder descriptors open or reserved now

    // Queued folders count themselves off keptOpen as they go: let them go
    // while it is still there (the queue is the pool's, destroyed after it).
    ~WalkState() { queue.clear(); }

    void releaseFolders();
    // Counts a folder or entry that could not be read (errno error), unless the
    // error says the drive itself has gone: then the walk fails.
    void countFailure(FolderNode& node, int error, bool atRoot);
    std::string shownPath(std::uint32_t node) const;
    // Returns one sub-folder for the same worker to scan next, if any: a chain of
    // folders then goes on without a hand-over through the queue.
    std::optional<WorkItem> scanFolder(WorkItem& item, Worker& worker);
    UniqueFd enterFolder(const WorkItem& item);
    UniqueFd openFolder(const WorkItem& item);
    UniqueFd checkMount(UniqueFd fd, const FolderNode& node);
    FolderScan startReading(WorkItem& item, UniqueFd fd, LargestFiles& largest);
    bool reserveKept(WorkItem& item);
    bool readBatch(FolderScan& scan, std::vector<char>& buffer);
    void classifyEntry(FolderScan& scan, const char* name);
    void recordSubFolder(FolderScan& scan, const char* name, const struct stat& st);
};

}  // namespace corvath
