// The FolderWalk handle's members that are the same on every platform; each
// platform's walk opens the root in its own constructor.
#include "engine/folder_walk.h"

#ifdef _WIN32
#include "engine/windows/walk_state_win32.h"
#else
#include "engine/posix/walk_state.h"
#endif

namespace corvath {

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
    s.queue.emplace_back();  // the root
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

std::string FolderWalk::currentFolder() const { return state_->currentFolder(); }

FolderTable& FolderWalk::folders() { return state_->folders; }

std::vector<LargeFile> FolderWalk::largestFiles() const {
    std::lock_guard lock(state_->stoppedMutex);
    return state_->largestFound.sorted();
}

}  // namespace corvath
