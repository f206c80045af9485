// The POSIX walk's side of the handle: opening the root and sharing out the
// file descriptors. The rest of the handle is in folder_walk_handle.cpp, the
// scan of one folder in folder_scan.cpp.
#include "engine/folder_walk.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "engine/drive_usage.h"
#include "engine/engine_error.h"
#include "engine/posix/walk_state.h"
#include "text/paths.h"

namespace corvath {

namespace {

// Descriptors a worker may hold besides the kept folders: the folder it reads,
// or two for a moment while it opens a long path a piece at a time.
constexpr long kPerWorker = 2;
// Taken as the limit when there is none (the kernel's own ceiling).
constexpr rlim_t kNoLimit = 1u << 20;

// Descriptors open now whose number is below the limit (only those take a place
// under it), from /proc/self/fd; without it, the lowest free number is a bound.
rlim_t descriptorsInUse(rlim_t limit, int anyFd) {
    const int listFd = ::open("/proc/self/fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const UniqueFd list(listFd >= 0 ? listFd : -errno);
    if (!list.valid()) {
        const int lowestFree = ::fcntl(anyFd, F_DUPFD_CLOEXEC, 0);
        const UniqueFd probe(lowestFree >= 0 ? lowestFree : -errno);
        return probe.valid() ? static_cast<rlim_t>(probe.get()) : limit;
    }
    rlim_t count = 0;
    alignas(dirent64) char buffer[4096];
    ssize_t length = 0;
    while ((length = ::getdents64(list.get(), buffer, sizeof buffer)) > 0) {
        for (ssize_t offset = 0; offset < length;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer + offset);
            offset += entry->d_reclen;
            char* end = nullptr;
            const unsigned long number = std::strtoul(entry->d_name, &end, 10);
            const bool isNumber = end != entry->d_name && *end == '\0';
            if (isNumber && number != static_cast<unsigned long>(list.get()) && number < limit) ++count;
        }
    }
    return count;
}

// Shares the descriptors free under the open-file limit between the workers and
// the folders kept open (see FolderWalk), leaving a sixteenth to the rest of
// the process.
void planDescriptors(WalkState& s) {
    rlimit limit{};
    const rlim_t most =
        ::getrlimit(RLIMIT_NOFILE, &limit) != 0 ? kNoLimit : std::min<rlim_t>(limit.rlim_cur, kNoLimit);
    const rlim_t inUse = descriptorsInUse(most, s.rootFd.get());
    const long free = most > inUse ? static_cast<long>(most - inUse) : 0;
    if (free < FolderWalk::kLeastFreeDescriptors) {
        throw EngineError("cannot analyze " + s.rootPath + ": too few file descriptors free (" +
                          std::to_string(free) + " under the limit of " + std::to_string(most) +
                          " open files; a scan needs " + std::to_string(FolderWalk::kLeastFreeDescriptors) + ")");
    }
    const long workers = std::clamp<long>(free / 4, 1, s.options.threads);
    s.options.threads = static_cast<unsigned>(workers);
    s.keptMost = static_cast<int>(free - free / 16 - kPerWorker * workers);
    // Beyond a quarter of the limit, keeping more folders saves little.
    s.keptBudget = static_cast<int>(std::min<long>(std::clamp<long>(static_cast<long>(most / 4), 8, 1024), s.keptMost));
    s.descriptorLimit = most;
}

// rootPath joined with a relative path, "/" between them when needed.
std::string joinPath(const std::string& rootPath, const std::string& relative) {
    return relative.empty() ? rootPath : childPath(rootPath, relative);
}

}  // namespace

FolderWalk::FolderWalk(const std::string& rootPath, WalkOptions options) : state_(std::make_shared<WalkState>()) {
    WalkState& s = *state_;
    s.rootPath = rootPath;
    s.options = options;
    if (s.options.threads == 0) s.options.threads = 1;
    s.opener.emplace(options.useOpenat2);
    s.rootFd = s.opener->openRoot(rootPath);
    if (!s.rootFd.valid()) {
        throw EngineError("cannot analyze " + rootPath + ": " + std::strerror(-s.rootFd.get()));
    }
    if (::fstat(s.rootFd.get(), &s.rootStat) != 0) {
        throw EngineError("cannot analyze " + rootPath + ": " + std::strerror(errno));
    }
#ifdef STATX_MNT_ID
    struct statx mount {};
    if (::statx(s.rootFd.get(), "", AT_EMPTY_PATH | AT_NO_AUTOMOUNT, STATX_MNT_ID, &mount) == 0 &&
        (mount.stx_mask & STATX_MNT_ID) != 0) {
        s.rootMountId = mount.stx_mnt_id;
    }
#endif
    planDescriptors(s);
    const std::uint32_t root = s.folders.append();
    FolderNode& node = s.folders[root];
    node.name = rootPath;
    node.inode = s.rootStat.st_ino;
    node.allocated = allocatedBytes(s.rootStat);
    node.apparent = static_cast<std::uint64_t>(s.rootStat.st_size);
    node.ownAllocated = node.allocated;
    node.ownApparent = node.apparent;
    s.allocated = node.allocated;
    s.apparent = node.apparent;
    s.folderCount = 1;
    s.status = rootPath;
}

std::uint64_t FolderWalk::rootDevice() const { return state_->rootStat.st_dev; }

std::uint64_t FolderWalk::rootMountId() const { return state_->rootMountId; }

// By path: a descriptor of its own would take one the walk has counted on.
std::optional<std::uint64_t> FolderWalk::driveUsedBytes() const {
    return driveUsageWithin(
        [path = state_->rootPath]() -> std::optional<std::uint64_t> {
            struct statvfs space {};
            if (::statvfs(path.c_str(), &space) != 0 || space.f_blocks < space.f_bfree) return std::nullopt;
            return static_cast<std::uint64_t>(space.f_blocks - space.f_bfree) * space.f_frsize;
        },
        kDriveUsageWait);
}

// Lets go of every folder still open, the root included, so that nothing
// keeps the drive busy once the scan is over.
void WalkState::releaseFolders() {
    std::vector<WorkItem> left;
    {
        std::lock_guard lock(queueMutex);
        left.swap(queue);
    }
    left.clear();
    rootFd.reset();
}

std::string WalkState::shownPath(std::uint32_t node) const { return joinPath(rootPath, folders.relativePath(node)); }

}  // namespace corvath
