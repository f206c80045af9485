#include "engine/folder_walk.h"

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/engine_error.h"
#include "engine/folder_open.h"
#include "engine/hard_link_set.h"

namespace corvath {

namespace {

// Longest relative path handed to the kernel from a kept folder; far below
// PATH_MAX so that a 255-byte name always fits after it.
constexpr std::size_t kMaxRelative = 2048;
constexpr std::size_t kDirentBuffer = 32 * 1024;
constexpr std::size_t kPushBatch = 64;
constexpr auto kPublishEvery = std::chrono::milliseconds(20);

std::int64_t nowNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// How many folders may stay open to serve as the starting point of their
// sub-folders; beyond this, sub-folders are reached from a kept ancestor.
int keptFolderBudget() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 256;
    const auto quarter = static_cast<int>(std::min<rlim_t>(limit.rlim_cur / 4, 1024));
    return std::max(quarter, 8);
}

std::uint64_t allocatedBytes(const struct stat& st) { return static_cast<std::uint64_t>(st.st_blocks) * 512u; }

}  // namespace

// An open folder kept as the starting point for opening its descendants;
// closed when the last of them has been opened.
struct KeptFolder {
    KeptFolder(int descriptor, std::uint32_t folder, std::atomic<int>& count)
        : fd(descriptor), node(folder), openCount(count) {
        openCount.fetch_add(1, std::memory_order_relaxed);
    }
    ~KeptFolder() {
        ::close(fd);
        openCount.fetch_sub(1, std::memory_order_relaxed);
    }
    KeptFolder(const KeptFolder&) = delete;
    KeptFolder& operator=(const KeptFolder&) = delete;
    int fd;
    std::uint32_t node;
    std::atomic<int>& openCount;
};

struct WorkItem {
    std::uint32_t node = 0;
    std::uint32_t relativeLength = 0;  // of the path from the anchor to this folder
    std::shared_ptr<KeptFolder> anchor;  // null for the root
};

struct WalkState {
    std::string rootPath;
    WalkOptions options;
    int rootFd = -1;
    struct stat rootStat {};
    std::optional<FolderOpener> opener;
    FolderTable folders;
    HardLinkSet hardLinks;
    int keptBudget = keptFolderBudget();
    std::atomic<int> keptOpen{0};

    std::atomic<bool> stopRequested{false};
    std::atomic<bool> userCancelled{false};

    std::atomic<std::uint64_t> allocated{0}, apparent{0}, files{0}, folderCount{0}, errors{0};

    // The work queue: folders found and not yet scanned, taken last in first out
    // so that the walk stays close to depth first and few folders stay open.
    std::mutex queueMutex;
    std::condition_variable queueChanged;
    std::vector<WorkItem> queue;
    std::size_t unfinished = 0;  // queued plus being scanned

    std::mutex stoppedMutex;
    std::condition_variable stoppedChanged;
    unsigned running = 0;
    bool stopped = false;  // every worker has stopped and let go of its folders
    std::function<void()> onStopped;
    std::string failure;

    mutable std::mutex statusMutex;
    std::string status;
    std::atomic<std::int64_t> lastPublished{0};

    ~WalkState() {
        if (rootFd >= 0) ::close(rootFd);
    }

    void work();
    // Returns one sub-folder for the same worker to scan next, if any: a chain of
    // folders then goes on without a hand-over through the queue.
    std::optional<WorkItem> scanFolder(const WorkItem& item, std::vector<char>& buffer);
    int openFolder(const WorkItem& item);
    int checkDevice(int fd);
    void push(std::vector<WorkItem>& items, std::optional<WorkItem>* keep = nullptr);
    void publish(std::uint32_t node, bool force);
    void requestStop() {
        stopRequested.store(true, std::memory_order_relaxed);
        std::lock_guard lock(queueMutex);
        queueChanged.notify_all();
    }
};

std::string joinPath(const std::string& rootPath, const std::string& relative) {
    if (relative.empty()) return rootPath;
    if (!rootPath.empty() && rootPath.back() == '/') return rootPath + relative;
    return rootPath + "/" + relative;
}

FolderWalk::FolderWalk(const std::string& rootPath, WalkOptions options) : state_(std::make_shared<WalkState>()) {
    WalkState& s = *state_;
    s.rootPath = rootPath;
    s.options = options;
    if (s.options.threads == 0) s.options.threads = 1;
    s.opener.emplace(options.useOpenat2);
    const int fd = s.opener->openRoot(rootPath);
    if (fd < 0) {
        throw EngineError("cannot analyze " + rootPath + ": " + std::strerror(-fd));
    }
    s.rootFd = fd;
    if (::fstat(fd, &s.rootStat) != 0) {
        throw EngineError("cannot analyze " + rootPath + ": " + std::strerror(errno));
    }
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

FolderWalk::~FolderWalk() {
    if (threads_.empty()) return;
    // The owner has waited as long as it wanted to; do not hold it up again.
    cancel();
    const bool stopped = waitStopped(std::chrono::steady_clock::now());
    for (auto& thread : threads_) {
        if (stopped) {
            thread.join();
        } else {
            thread.detach();  // it owns a share of the state and touches nothing else
        }
    }
}

void FolderWalk::start(std::function<void()> onStopped) {
    WalkState& s = *state_;
    s.onStopped = std::move(onStopped);
    s.queue.push_back(WorkItem{0, 0, nullptr});
    s.unfinished = 1;
    s.running = s.options.threads;
    threads_.reserve(s.options.threads);
    for (unsigned i = 0; i < s.options.threads; ++i) {
        threads_.emplace_back([state = state_] { state->work(); });
    }
}

void FolderWalk::cancel() {
    state_->userCancelled.store(true, std::memory_order_relaxed);
    state_->requestStop();
}

bool FolderWalk::cancelled() const { return state_->userCancelled.load(std::memory_order_relaxed); }

bool FolderWalk::waitStopped(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(state_->stoppedMutex);
    const bool stopped = state_->stoppedChanged.wait_until(lock, deadline, [&] { return state_->stopped; });
    if (stopped) {
        lock.unlock();
        for (auto& thread : threads_) thread.join();
        threads_.clear();
    }
    return stopped;
}

std::string FolderWalk::failure() const {
    std::lock_guard lock(state_->stoppedMutex);
    return state_->failure;
}

WalkTotals FolderWalk::totals() const {
    const WalkState& s = *state_;
    WalkTotals totals;
    totals.allocated = s.allocated.load(std::memory_order_relaxed);
    totals.apparent = s.apparent.load(std::memory_order_relaxed);
    totals.files = s.files.load(std::memory_order_relaxed);
    totals.folders = s.folderCount.load(std::memory_order_relaxed);
    totals.errors = s.errors.load(std::memory_order_relaxed);
    return totals;
}

std::string FolderWalk::currentFolder() const {
    std::lock_guard lock(state_->statusMutex);
    return state_->status;
}

const std::string& FolderWalk::rootPath() const { return state_->rootPath; }
std::uint64_t FolderWalk::rootDevice() const { return state_->rootStat.st_dev; }
FolderTable& FolderWalk::folders() { return state_->folders; }

void WalkState::work() {
    std::vector<char> buffer(kDirentBuffer);
    try {
        for (;;) {
            std::optional<WorkItem> item;
            {
                std::unique_lock lock(queueMutex);
                queueChanged.wait(lock, [&] {
                    return stopRequested.load(std::memory_order_relaxed) || !queue.empty() || unfinished == 0;
                });
                if (stopRequested.load(std::memory_order_relaxed) || queue.empty()) break;
                item = std::move(queue.back());
                queue.pop_back();
            }
            while (item) {
                std::optional<WorkItem> next = scanFolder(*item, buffer);
                item = std::move(next);
                std::lock_guard lock(queueMutex);
                if (--unfinished == 0) queueChanged.notify_all();
            }
        }
    } catch (const std::exception& error) {
        {
            std::lock_guard lock(stoppedMutex);
            if (failure.empty()) failure = error.what();
        }
        requestStop();
    }
    std::function<void()> last;
    bool lastToStop = false;
    {
        std::lock_guard lock(stoppedMutex);
        lastToStop = --running == 0;
    }
    if (lastToStop) {
        // Let go of every folder still open, the root included, so that nothing
        // keeps the drive busy once the scan is over.
        std::vector<WorkItem> left;
        {
            std::lock_guard lock(queueMutex);
            left.swap(queue);
        }
        left.clear();
        ::close(rootFd);
        rootFd = -1;
        std::lock_guard lock(stoppedMutex);
        last = std::move(onStopped);
        stopped = true;
        stoppedChanged.notify_all();
    }
    if (last) last();
}

void WalkState::push(std::vector<WorkItem>& items, std::optional<WorkItem>* keep) {
    if (keep != nullptr && !items.empty()) {
        *keep = std::move(items.back());
        items.pop_back();
        std::lock_guard lock(queueMutex);
        ++unfinished;
    }
    if (items.empty()) return;
    {
        std::lock_guard lock(queueMutex);
        unfinished += items.size();
        for (auto& item : items) queue.push_back(std::move(item));
    }
    if (items.size() == 1) {
        queueChanged.notify_one();
    } else {
        queueChanged.notify_all();
    }
    items.clear();
}

void WalkState::publish(std::uint32_t node, bool force) {
    const std::int64_t now = nowNanoseconds();
    std::int64_t last = lastPublished.load(std::memory_order_relaxed);
    if (!force && now - last < std::chrono::nanoseconds(kPublishEvery).count()) return;
    if (!lastPublished.compare_exchange_strong(last, now, std::memory_order_relaxed)) return;
    std::string path = joinPath(rootPath, folders.relativePath(node));
    std::lock_guard lock(statusMutex);
    status = std::move(path);
}

int WalkState::openFolder(const WorkItem& item) {
    if (item.anchor == nullptr) {
        const int fd = ::fcntl(rootFd, F_DUPFD_CLOEXEC, 0);
        return fd >= 0 ? fd : -errno;
    }
    const FolderNode& node = folders[item.node];
    if (node.parent == item.anchor->node) {
        return opener->openChild(item.anchor->fd, node.name.c_str());
    }
    std::string relative;
    relative.reserve(item.relativeLength);
    std::vector<std::uint32_t> chain;
    for (std::uint32_t i = item.node; i != item.anchor->node; i = folders[i].parent) chain.push_back(i);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!relative.empty()) relative += '/';
        relative += folders[*it].name;
    }
    return opener->openBelow(item.anchor->fd, relative);
}

// Without openat2 the kernel does not refuse a mount that appeared on a folder
// after we saw it; its device tells (a bind mount of this same filesystem does
// not show, and is entered).
int WalkState::checkDevice(int fd) {
    struct stat st {};
    const int outcome = ::fstat(fd, &st) != 0 ? -errno : st.st_dev != rootStat.st_dev ? -EXDEV : fd;
    if (outcome < 0) ::close(fd);
    return outcome;
}

std::optional<WorkItem> WalkState::scanFolder(const WorkItem& item, std::vector<char>& buffer) {
    FolderNode& node = folders[item.node];
    publish(item.node, false);
    int fd = openFolder(item);
    if (item.anchor != nullptr) {
        if (fd >= 0 && !opener->guardsMounts()) fd = checkDevice(fd);
        if (fd == -EXDEV) {
            // A mount point after all (a bind mount, or mounted since we saw it):
            // counted as a folder, like any mount point, but not entered and
            // without a size.
            node.otherFilesystem = true;
            node.allocated = node.apparent = node.ownAllocated = node.ownApparent = 0;
            return std::nullopt;
        }
        // A sub-folder's own size counts once it is known to be on this mount.
        allocated.fetch_add(node.ownAllocated, std::memory_order_relaxed);
        apparent.fetch_add(node.ownApparent, std::memory_order_relaxed);
    }
    if (fd < 0) {
        if (fd != -ENOENT) {  // a folder removed since we saw it is simply gone
            node.readError = true;
            errors.fetch_add(1, std::memory_order_relaxed);
        }
        return std::nullopt;
    }

    // Either this folder stays open for its sub-folders, or they are reached
    // from this folder's own starting point with a longer relative path.
    std::shared_ptr<KeptFolder> kept;
    std::shared_ptr<KeptFolder> childAnchor;
    std::size_t childBase = 0;
    const bool keep = item.anchor == nullptr || keptOpen.load(std::memory_order_relaxed) < keptBudget ||
                      item.relativeLength + 1 + NAME_MAX + 1 > kMaxRelative;
    if (keep) {
        kept = std::make_shared<KeptFolder>(fd, item.node, keptOpen);
        childAnchor = kept;
    } else {
        childAnchor = item.anchor;
        childBase = item.relativeLength + 1;
    }

    std::vector<WorkItem> found;
    // Entries for the sink, handed over after each read: their names point into
    // the buffer, which the next read overwrites.
    std::vector<EntryRecord> recorded;
    EntrySink* const sink = options.entrySink;
    std::uint64_t batchAllocated = 0, batchApparent = 0, batchFiles = 0, batchFolders = 0;
    const auto flush = [&](std::optional<WorkItem>* keepOne) {
        allocated.fetch_add(batchAllocated, std::memory_order_relaxed);
        apparent.fetch_add(batchApparent, std::memory_order_relaxed);
        files.fetch_add(batchFiles, std::memory_order_relaxed);
        folderCount.fetch_add(batchFolders, std::memory_order_relaxed);
        batchAllocated = batchApparent = batchFiles = batchFolders = 0;
        if (!recorded.empty()) {
            sink->record(item.node, recorded);
            recorded.clear();
        }
        push(found, keepOne);
    };

    for (;;) {
        if (stopRequested.load(std::memory_order_relaxed)) break;
        const ssize_t length = ::getdents64(fd, buffer.data(), buffer.size());
        if (length == 0) break;
        if (length < 0) {
            node.readError = true;
            errors.fetch_add(1, std::memory_order_relaxed);
            break;
        }
        for (ssize_t offset = 0; offset < length;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer.data() + offset);
            offset += entry->d_reclen;
            const char* name = entry->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
            if (stopRequested.load(std::memory_order_relaxed)) break;

            struct stat st {};
            if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) != 0) {
                if (errno != ENOENT) {
                    node.readError = true;
                    errors.fetch_add(1, std::memory_order_relaxed);
                }
                continue;
            }
            const std::uint64_t bytes = allocatedBytes(st);
            const auto size = static_cast<std::uint64_t>(st.st_size);
            if (S_ISDIR(st.st_mode)) {
                ++node.folders;
                ++batchFolders;
                if (st.st_dev != rootStat.st_dev) {
                    // Another filesystem mounted here: listed, not entered, not counted.
                    if (sink) recorded.push_back({name, 0, 0, st.st_ino, st.st_dev, 1, EntryRecord::Kind::OtherFilesystem});
                    continue;
                }
                const std::uint32_t child = folders.append();
                FolderNode& sub = folders[child];
                sub.parent = item.node;
                sub.name = name;
                sub.inode = st.st_ino;
                sub.allocated = bytes;
                sub.apparent = size;
                sub.ownAllocated = bytes;
                sub.ownApparent = size;
                found.push_back(WorkItem{child, static_cast<std::uint32_t>(childBase + sub.name.size()), childAnchor});
                if (found.size() >= kPushBatch) flush(nullptr);
                continue;
            }
            ++node.files;
            ++batchFiles;
            if (st.st_nlink <= 1 || hardLinks.insert(st.st_dev, st.st_ino)) {
                node.allocated += bytes;
                node.apparent += size;
                batchAllocated += bytes;
                batchApparent += size;
            }
            if (sink) {
                recorded.push_back({name, size, bytes, st.st_ino, st.st_dev, static_cast<std::uint32_t>(st.st_nlink),
                                    S_ISREG(st.st_mode) ? EntryRecord::Kind::Regular : EntryRecord::Kind::Other});
            }
        }
        flush(nullptr);
    }
    std::optional<WorkItem> next;
    flush(stopRequested.load(std::memory_order_relaxed) ? nullptr : &next);
    if (!keep) ::close(fd);
    return next;
}

}  // namespace corvath
