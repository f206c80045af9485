// The pool of workers behind a FolderWalk and what they share, the same on
// every platform. Each platform's WalkState derives from it and gives:
// - Item: a folder waiting in the queue (default-made, the root);
// - Worker: what a worker keeps across the folders it scans, its largest
//   files (largest) among them;
// - a scan of one folder: a FolderTally with the sub-folders found (found), as
//   flush() and queueFound() take it;
// - scanFolder(Item&, Worker&): scans one folder, returns one of its
//   sub-folders for the same worker to scan next, if any;
// - releaseFolders(): lets go of anything held open, before the walk stops;
// - shownPath(node): a folder's full path as the user sees it; called from the
//   thread that reads the status too, so it reads only names and parents.
// Calls to these are resolved at compile time: nothing virtual per folder.
#pragma once

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/folder_table.h"
#include "engine/folder_tally.h"
#include "engine/folder_walk.h"
#include "engine/hard_link_set.h"
#include "engine/largest_files.h"

namespace corvath {

// Fields that change during the scan say what guards them.
template <typename State, typename Item>
struct WalkPool {
    // Sub-folders found are handed to the queue in batches of this many.
    static constexpr std::size_t kPushBatch = 64;

    // Set before the workers start, read only afterwards.
    std::string rootPath;
    WalkOptions options;

    // Appending is safe from any thread (its own lock). A node is written by the
    // worker that found it until it is queued (queueMutex hands it over), then
    // only by the worker that scans it, and by the owner once the walk stopped.
    FolderTable folders;
    HardLinkSet hardLinks;  // its own locks

    // Atomics: set from any thread, never cleared.
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> userCancelled{false};

    // Running totals: atomics, read at any time as approximate snapshots.
    std::atomic<std::uint64_t> allocated{0}, apparent{0}, files{0}, folderCount{0}, errors{0};

    // The work queue: folders found and not yet scanned, taken last in first out
    // so that the walk stays close to depth first and few folders stay open.
    std::mutex queueMutex;
    std::condition_variable queueChanged;
    std::vector<Item> queue;     // queueMutex
    std::size_t unfinished = 0;  // queueMutex; queued plus being scanned

    std::mutex stoppedMutex;
    std::condition_variable stoppedChanged;
    unsigned running = 0;  // stoppedMutex
    bool stopped = false;  // stoppedMutex; every worker has stopped and let go of its folders
    std::function<void()> onStopped;  // stoppedMutex once started
    std::string failure;  // stoppedMutex
    LargestFiles largestFound;  // stoppedMutex; each worker's merged in as it stops

    // The folder entered last, by any worker. Its path is made only when the
    // status is read, so a folder that takes long is shown however soon after
    // another it was entered. On a line of its own: every worker writes it.
    alignas(64) std::atomic<std::uint32_t> entered{0};
    mutable std::mutex statusMutex;
    mutable std::uint32_t shownNode = 0;  // statusMutex
    mutable std::string status;           // statusMutex; the path of shownNode

    void work();
    void push(std::vector<Item>& items, std::optional<Item>* keep);
    template <typename Scan>
    void flush(Scan& scan, std::optional<Item>* keepOne);
    template <typename Scan>
    void queueFound(Scan& scan, Item item) {
        scan.found.push_back(std::move(item));
        if (scan.found.size() >= kPushBatch) flush(scan, nullptr);
    }
    // Shows the folder as the one being scanned.
    void publish(std::uint32_t node) { entered.store(node, std::memory_order_release); }
    // The path of the folder entered last; safe from any thread.
    std::string currentFolder() const;
    void forget(FolderNode& node);
    void atStep(WalkStep step, std::uint32_t node) const {
        if (options.stepHook) options.stepHook(step, folders.relativePath(node));
    }
    void countError(FolderNode& node) {
        node.readError = true;
        errors.fetch_add(1, std::memory_order_relaxed);
    }
    // Ends the walk as failed: what it found is not the drive's content.
    void fail(const std::string& reason) {
        {
            std::lock_guard lock(stoppedMutex);
            if (failure.empty()) failure = reason;
        }
        requestStop();
    }
    bool stopping() const { return stopRequested.load(std::memory_order_relaxed); }
    // Whether the walk's patterns leave out a sub-folder found in parent. The
    // path is made only for patterns that need it, from names a worker may read.
    bool leftOut(std::uint32_t parent, std::string_view name) const {
        if (options.excludes.empty()) return false;
        std::vector<std::string_view> parts;
        if (options.excludes.needsPath()) {
            for (std::uint32_t i = parent; i != 0 && i != FolderNode::kNoParent; i = folders[i].parent) {
                parts.push_back(folders[i].name);
            }
            std::reverse(parts.begin(), parts.end());
        }
        parts.push_back(name);
        return options.excludes.excludes(parts);
    }
    void requestStop() {
        stopRequested.store(true, std::memory_order_relaxed);
        std::lock_guard lock(queueMutex);
        queueChanged.notify_all();
    }

private:
    void stopLast();
    State& state() { return static_cast<State&>(*this); }
};

template <typename State, typename Item>
void WalkPool<State, Item>::work() {
    typename State::Worker worker;
    try {
        for (;;) {
            std::optional<Item> item;
            {
                std::unique_lock lock(queueMutex);
                queueChanged.wait(lock, [&] { return stopping() || !queue.empty() || unfinished == 0; });
                if (stopping() || queue.empty()) break;
                item = std::move(queue.back());
                queue.pop_back();
            }
            while (item) {
                std::optional<Item> next = state().scanFolder(*item, worker);
                item = std::move(next);
                std::lock_guard lock(queueMutex);
                if (--unfinished == 0) queueChanged.notify_all();
            }
        }
    } catch (const std::exception& error) {
        fail(error.what());
    }
    bool lastToStop = false;
    {
        std::lock_guard lock(stoppedMutex);
        largestFound.merge(std::move(worker.largest));
        lastToStop = --running == 0;
    }
    if (lastToStop) stopLast();
}

template <typename State, typename Item>
void WalkPool<State, Item>::stopLast() {
    state().releaseFolders();
    // No worker inserts any more: each linked file's bytes go to its owner.
    hardLinks.forEachOwner([this](const HardLinkSet::Link& link) {
        if (link.countedIn == link.folder) return;
        if (link.countedIn != HardLinkSet::kNoFolder) {
            FolderNode& counted = folders[link.countedIn];
            counted.allocated -= link.allocated;
            counted.apparent -= link.apparent;
        }
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

template <typename State, typename Item>
void WalkPool<State, Item>::push(std::vector<Item>& items, std::optional<Item>* keep) {
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

// Hands on what a folder counted since its last flush (a FolderTally, with the
// sub-folders found): its entries to the sink, its totals to the shared ones and
// its sub-folders to the queue (keeping one back when asked).
template <typename State, typename Item>
template <typename Scan>
void WalkPool<State, Item>::flush(Scan& scan, std::optional<Item>* keepOne) {
    if (!scan.recorded.empty()) {
        options.entrySink->record(scan.index, scan.recorded);
        scan.recorded.clear();
        scan.heldNames.clear();
    }
    allocated.fetch_add(scan.allocated, std::memory_order_relaxed);
    apparent.fetch_add(scan.apparent, std::memory_order_relaxed);
    files.fetch_add(scan.files, std::memory_order_relaxed);
    folderCount.fetch_add(scan.folders, std::memory_order_relaxed);
    scan.allocated = scan.apparent = scan.files = scan.folders = 0;
    push(scan.found, keepOne);
}

template <typename State, typename Item>
std::string WalkPool<State, Item>::currentFolder() const {
    // Acquire: the worker that entered the folder was handed it with its name
    // and its parents', which is all the path is made of.
    const std::uint32_t node = entered.load(std::memory_order_acquire);
    std::lock_guard lock(statusMutex);
    if (node != shownNode) {
        status = static_cast<const State&>(*this).shownPath(node);
        shownNode = node;
    }
    return status;
}

// A folder that vanished is not counted at all: what it added to the totals
// (itself, and its files when it went while being read) comes off again. Its
// sub-folders, if any were seen, vanish in turn when they are opened.
template <typename State, typename Item>
void WalkPool<State, Item>::forget(FolderNode& node) {
    node.vanished = true;
    allocated.fetch_sub(node.allocated, std::memory_order_relaxed);
    apparent.fetch_sub(node.apparent, std::memory_order_relaxed);
    files.fetch_sub(node.files, std::memory_order_relaxed);
    folderCount.fetch_sub(1, std::memory_order_relaxed);
    node.allocated = node.apparent = node.ownAllocated = node.ownApparent = node.files = 0;
}

}  // namespace corvath
