#include "engine/folder_walk.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/engine_error.h"
#include "engine/walk_state.h"

namespace corvath {

namespace {

constexpr std::size_t kDirentBuffer = 32 * 1024;
constexpr auto kPublishEvery = std::chrono::milliseconds(20);

std::int64_t nowNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

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
    if (relative.empty()) return rootPath;
    if (!rootPath.empty() && rootPath.back() == '/') return rootPath + relative;
    return rootPath + "/" + relative;
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

std::uint64_t FolderWalk::rootDevice() const { return state_->rootStat.st_dev; }
FolderTable& FolderWalk::folders() { return state_->folders; }

std::vector<LargeFile> FolderWalk::largestFiles() const {
    std::lock_guard lock(state_->stoppedMutex);
    return state_->largestFound.sorted();
}

void WalkState::work() {
    std::vector<char> buffer(kDirentBuffer);
    LargestFiles found;
    try {
        for (;;) {
            std::optional<WorkItem> item;
            {
                std::unique_lock lock(queueMutex);
                queueChanged.wait(lock, [&] { return stopping() || !queue.empty() || unfinished == 0; });
                if (stopping() || queue.empty()) break;
                item = std::move(queue.back());
                queue.pop_back();
            }
            while (item) {
                std::optional<WorkItem> next = scanFolder(*item, buffer, found);
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
    bool lastToStop = false;
    {
        std::lock_guard lock(stoppedMutex);
        largestFound.merge(std::move(found));
        lastToStop = --running == 0;
    }
    if (lastToStop) stopLast();
}

void WalkState::stopLast() {
    // Let go of every folder still open, the root included, so that nothing
    // keeps the drive busy once the scan is over.
    std::vector<WorkItem> left;
    {
        std::lock_guard lock(queueMutex);
        left.swap(queue);
    }
    left.clear();
    rootFd.reset();
    // No worker inserts any more: each linked file's bytes go to its owner.
    hardLinks.forEachOwner([this](const HardLinkSet::Link& link) {
        FolderNode& owner = folders[link.folder];
        owner.allocated += link.allocated;
        owner.apparent += link.apparent;
    });
    std::function<void()> last;
    {
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

// Shows the folder as the one being scanned, at most every kPublishEvery.
void WalkState::publish(std::uint32_t node) {
    const std::int64_t now = nowNanoseconds();
    std::int64_t last = lastPublished.load(std::memory_order_relaxed);
    if (now - last < std::chrono::nanoseconds(kPublishEvery).count()) return;
    if (!lastPublished.compare_exchange_strong(last, now, std::memory_order_relaxed)) return;
    std::string path = joinPath(rootPath, folders.relativePath(node));
    std::lock_guard lock(statusMutex);
    status = std::move(path);
}

}  // namespace corvath
