// The Windows walk's handle and its pool of workers; the scan of one folder is
// in folder_scan_win32.cpp.
#include "engine/folder_walk.h"

#include <algorithm>

#include "engine/engine_error.h"
#include "engine/windows/walk_state_win32.h"
#include "engine/windows/win32_file.h"
#include "engine/wtf8.h"

namespace corvath {

namespace {

constexpr auto kPublishEvery = std::chrono::milliseconds(20);

std::int64_t nowNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

FolderWalk::FolderWalk(const std::string& rootPath, WalkOptions options) : state_(std::make_shared<WalkState>()) {
    WalkState& s = *state_;
    s.rootPath = rootPath;
    s.options = options;
    if (s.options.threads == 0) s.options.threads = 1;
    s.rootLong = win32::longPathOf(rootPath);
    const auto fail = [&](const std::string& reason) { throw EngineError("cannot analyze " + rootPath + ": " + reason); };
    const win32::UniqueHandle root = win32::openForAttributes(s.rootLong);
    if (!root.valid()) fail(win32::errorText(::GetLastError()));
    win32::FileIdentity identity;
    if (!win32::queryIdentity(root.get(), identity)) fail(win32::errorText(::GetLastError()));
    if (!identity.folder) fail("not a folder");
    win32::FileSize own;
    if (!win32::querySize(root.get(), own)) own = {};
    s.volumeSerial = identity.volumeSerial;
    if (const std::uint64_t cluster = win32::clusterBytes(s.rootLong); cluster > 0) s.cluster = cluster;

    const std::uint32_t index = s.folders.append();
    FolderNode& node = s.folders[index];
    node.name = rootPath;
    node.inode = identity.fileIndex;
    node.allocated = node.ownAllocated = own.allocated;
    s.allocated = node.allocated;
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
    s.queue.push_back(0);
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

std::uint64_t FolderWalk::rootDevice() const { return state_->volumeSerial; }
FolderTable& FolderWalk::folders() { return state_->folders; }

std::vector<LargeFile> FolderWalk::largestFiles() const {
    std::lock_guard lock(state_->stoppedMutex);
    return state_->largestFound.sorted();
}

void WalkState::work() {
    LargestFiles found;
    try {
        for (;;) {
            std::optional<std::uint32_t> item;
            {
                std::unique_lock lock(queueMutex);
                queueChanged.wait(lock, [&] { return stopping() || !queue.empty() || unfinished == 0; });
                if (stopping() || queue.empty()) break;
                item = queue.back();
                queue.pop_back();
            }
            while (item) {
                item = scanFolder(*item, found);
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

void WalkState::push(std::vector<std::uint32_t>& items, std::optional<std::uint32_t>* keep) {
    if (keep != nullptr && !items.empty()) {
        *keep = items.back();
        items.pop_back();
        std::lock_guard lock(queueMutex);
        ++unfinished;
    }
    if (items.empty()) return;
    {
        std::lock_guard lock(queueMutex);
        unfinished += items.size();
        queue.insert(queue.end(), items.begin(), items.end());
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
    std::string path = shownPath(node);
    std::lock_guard lock(statusMutex);
    status = std::move(path);
}

namespace {

std::vector<std::uint32_t> chainBelowRoot(const FolderTable& folders, std::uint32_t node) {
    std::vector<std::uint32_t> chain;
    for (std::uint32_t i = node; i != 0 && i != FolderNode::kNoParent; i = folders[i].parent) chain.push_back(i);
    std::reverse(chain.begin(), chain.end());
    return chain;
}

}  // namespace

std::string WalkState::shownPath(std::uint32_t node) const {
    std::string path = rootPath;
    for (const std::uint32_t part : chainBelowRoot(folders, node)) {
        if (path.empty() || path.back() != '\\') path += '\\';
        path += folders[part].name;
    }
    return path;
}

std::wstring WalkState::longPath(std::uint32_t node) const {
    std::wstring path = rootLong;
    for (const std::uint32_t part : chainBelowRoot(folders, node)) {
        if (path.back() != L'\\') path += L'\\';
        path += utf16FromWtf8<wchar_t>(folders[part].name);
    }
    return path;
}

}  // namespace corvath
