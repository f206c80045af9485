// Scanning one folder: open it, read its entries a buffer at a time, stat
// each and hand what it is to the count (folder_tally.h).
#include "engine/posix/walk_state.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/engine_error.h"
#include "engine/posix/mount_root.h"

namespace corvath {

std::optional<WorkItem> WalkState::scanFolder(WorkItem& item, Worker& worker) {
    publish(item.node);
    atStep(WalkStep::Opening, item.node);
    UniqueFd fd = enterFolder(item);
    if (!fd.valid()) return std::nullopt;
    FolderScan scan = startReading(item, std::move(fd), worker.largest);
    atStep(WalkStep::Reading, item.node);
    while (!stopping() && readBatch(scan, worker.buffer)) flush(scan, nullptr);
    std::optional<WorkItem> next;
    flush(scan, stopping() ? nullptr : &next);
    return next;
}

// Opens a folder and settles what it counts for: a valid descriptor to read
// it, or nothing when it cannot be entered (recorded here).
UniqueFd WalkState::enterFolder(const WorkItem& item) {
    FolderNode& node = folders[item.node];
    UniqueFd fd = openFolder(item);
    if (fd.valid() && item.anchor != nullptr && !opener->guardsMounts()) fd = checkMount(std::move(fd), node);
    switch (fd.get()) {
    case -EXDEV:
        // A mount point after all (a bind mount, or mounted since we saw it):
        // counted as a folder, like any mount point, but not entered and
        // without a size.
        node.otherFilesystem = true;
        node.allocated = node.apparent = node.ownAllocated = node.ownApparent = 0;
        return fd;
    case -ENOENT:
        // Removed since we saw it; its own size was not counted yet.
        node.allocated = node.apparent = 0;
        forget(node);
        return fd;
    case -EMFILE:
    case -ENFILE:
        // Its sub-folders would be lost without a word: a short total is worse
        // than none.
        throw EngineError("out of file descriptors (the limit of open files is " + std::to_string(descriptorLimit) +
                          "): " + std::strerror(-fd.get()));
    default:
        break;
    }
    if (item.anchor != nullptr) {
        // A sub-folder's own size counts once it is known to be on this mount.
        allocated.fetch_add(node.ownAllocated, std::memory_order_relaxed);
        apparent.fetch_add(node.ownApparent, std::memory_order_relaxed);
    }
    if (!fd.valid()) countFailure(node, -fd.get(), item.anchor == nullptr);
    return fd;
}

// A FUSE daemon that died (ENOTCONN), a device that was removed (ENODEV,
// ENXIO), and an I/O error or stale handle on the root itself: every later
// call would fail too, so the scan would pass the part read for the drive.
void WalkState::countFailure(FolderNode& node, int error, bool atRoot) {
    const bool gone = error == ENOTCONN || error == ENODEV || error == ENXIO ||
                      (atRoot && (error == EIO || error == ESTALE));
    if (!gone) {
        countError(node);
        return;
    }
    fail(std::string("the drive went away during the analysis (") + std::strerror(error) + ")");
}

UniqueFd WalkState::openFolder(const WorkItem& item) {
    if (item.anchor == nullptr) {
        const int fd = ::fcntl(rootFd.get(), F_DUPFD_CLOEXEC, 0);
        return UniqueFd(fd >= 0 ? fd : -errno);
    }
    const FolderNode& node = folders[item.node];
    if (node.parent == item.anchor->node) {
        return opener->openChild(item.anchor->fd.get(), node.name.c_str());
    }
    std::string relative;
    relative.reserve(item.relativeLength);
    std::vector<std::uint32_t> chain;
    for (std::uint32_t i = item.node; i != item.anchor->node; i = folders[i].parent) chain.push_back(i);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!relative.empty()) relative += '/';
        relative += folders[*it].name;
    }
    return opener->openBelow(item.anchor->fd.get(), relative);
}

// Without openat2 the kernel does not refuse a mount that appeared on a folder
// after we saw it; its mount ID tells, or else its device (a bind mount of
// this same filesystem then does not show, and is entered).
UniqueFd WalkState::checkMount(UniqueFd fd, const FolderNode& node) {
    if (rootMountId != 0) {
        if (const std::uint64_t mount = mountIdOf(fd.get()); mount != 0) {
            return mount == rootMountId ? std::move(fd) : UniqueFd(-EXDEV);
        }
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return UniqueFd(-errno);
    if (st.st_dev != (node.device != 0 ? node.device : rootStat.st_dev)) return UniqueFd(-EXDEV);
    return fd;
}

// Either the folder stays open for its sub-folders, or they are reached from
// this folder's own starting point with a longer relative path.
FolderScan WalkState::startReading(WorkItem& item, UniqueFd fd, LargestFiles& largest) {
    FolderScan scan(item.node, folders[item.node], fd.get(), largest);
    if (reserveKept(item)) {
        scan.childAnchor = std::make_shared<KeptFolder>(std::move(fd), item.node, keptOpen);
    } else {
        scan.ownFd = std::move(fd);
        scan.childAnchor = item.anchor;
        scan.childBase = item.relativeLength + 1;
    }
    return scan;
}

// The root always stays open; a folder whose sub-folders' paths would be too
// long for one open stays open while any descriptor is left for it, others
// within the budget; either takes the place of its anchor when nothing else
// starts from there any more. Beyond, paths are opened a piece at a time.
bool WalkState::reserveKept(WorkItem& item) {
    if (item.anchor == nullptr) {
        keptOpen.fetch_add(1, std::memory_order_relaxed);
        return true;
    }
    const bool pathTooLong = item.relativeLength + 1 + NAME_MAX + 1 > FolderOpener::kMaxPiece;
    const int most = pathTooLong ? keptMost : keptBudget;
    int open = keptOpen.load(std::memory_order_relaxed);
    while (open < most) {
        if (keptOpen.compare_exchange_weak(open, open + 1, std::memory_order_relaxed)) return true;
    }
    // Only this item holds the anchor, and no one can copy it from elsewhere:
    // without this a chain would be opened from further and further up.
    if (item.anchor.use_count() == 1) {
        item.anchor->placeHandedOn = true;
        item.anchor.reset();
        return true;
    }
    return false;
}

// Reads one buffer of entries; false at the end of the folder or on an error.
bool WalkState::readBatch(FolderScan& scan, std::vector<char>& buffer) {
    const ssize_t length = ::getdents64(scan.fd, buffer.data(), buffer.size());
    if (length == 0) return false;
    if (length < 0) {
        if (errno == ENOENT) {
            forget(scan.node);  // removed while being read: the kernel lists a dead folder no more
        } else {
            countFailure(scan.node, errno, scan.index == 0);
        }
        return false;
    }
    for (ssize_t offset = 0; offset < length;) {
        const auto* entry = reinterpret_cast<const dirent64*>(buffer.data() + offset);
        offset += entry->d_reclen;
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
        if (stopping()) break;
        classifyEntry(scan, name);
    }
    return true;
}

void WalkState::classifyEntry(FolderScan& scan, const char* name) {
    struct stat st {};
    if (::fstatat(scan.fd, name, &st, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) != 0) {
        if (errno != ENOENT) countFailure(scan.node, errno, false);  // one that vanished is simply not counted
        return;
    }
    if (S_ISDIR(st.st_mode)) {
        recordSubFolder(scan, name, st);
        return;
    }
    const FileFacts file{name,
                         allocatedBytes(st),
                         static_cast<std::uint64_t>(st.st_size),
                         st.st_dev,
                         st.st_ino,
                         static_cast<std::uint32_t>(st.st_nlink),
                         static_cast<std::int64_t>(st.st_mtim.tv_sec),
                         S_ISREG(st.st_mode)};
    countFile(scan, file, hardLinks, options.entrySink != nullptr);
}

void WalkState::recordSubFolder(FolderScan& scan, const char* name, const struct stat& st) {
    const std::uint64_t ownDevice = scan.node.device != 0 ? scan.node.device : rootStat.st_dev;
    const bool otherDevice = st.st_dev != ownDevice;
    // Another device is another filesystem mounted here unless the kernel says
    // it is no mount: then it is a subvolume of this one. Only asked on a
    // change of device, so a plain folder costs nothing more.
    if (otherDevice && isMountRoot(scan.fd, name) != false) {
        // Kept, not entered, not counted.
        countOtherFilesystem(scan, folders, name, st.st_dev, st.st_ino);
        return;
    }
    if (leftOut(scan.index, name)) {
        countExcluded(scan, folders, name, st.st_ino);
        return;
    }
    const std::uint32_t child = countSubFolder(
        scan, folders, name, {allocatedBytes(st), static_cast<std::uint64_t>(st.st_size), st.st_ino});
    FolderNode& sub = folders[child];
    sub.device = scan.node.device;
    if (otherDevice) {
        sub.subvolume = true;
        sub.device = st.st_dev;
    }
    const auto relativeLength = static_cast<std::uint32_t>(scan.childBase + folders[child].name.size());
    queueFound(scan, WorkItem{child, relativeLength, scan.childAnchor});
}

}  // namespace corvath
