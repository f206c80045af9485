// The state the Windows walk's workers share: the handle's side is in
// folder_walk_win32.cpp, the scan of one folder in folder_scan_win32.cpp.
//
// What a scan counts on Windows, and how it differs from the POSIX walk:
// - allocated is each file's AllocationSize (and each folder's own, where the
//   volume gives one), apparent its EndOfFile; a file with several links is
//   counted once, keyed by volume serial and file index.
// - A reparse point that stands for another name (a symbolic link, a junction,
//   a mounted folder) counts as one file with its listed size and is never
//   entered; other reparse points (cloud placeholders, deduplicated files) are
//   the files and folders they look like. A folder on another volume (its
//   serial differs) counts as a folder and is not entered.
// - A file that cannot be opened even to read its attributes (a paging file)
//   counts with its listed size, rounded up to the volume's cluster, as its
//   allocation.
#pragma once

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engine/folder_table.h"
#include "engine/folder_walk.h"
#include "engine/hard_link_set.h"
#include "engine/largest_files.h"

namespace corvath {

// One folder while a worker reads it, and what it found that the shared
// totals do not hold yet.
struct FolderScan {
    std::uint32_t index;
    FolderNode& node;
    std::wstring path;  // "\\?\..." with a trailing "\", a name appended for each entry
    std::size_t base;   // the length of path without the entry's name
    std::vector<std::uint32_t> found;
    std::uint64_t allocated = 0, apparent = 0, files = 0, folders = 0;
    LargestFiles* largest;  // the worker's own
    // Entries for the entry sink, and the names they point into (set at the flush).
    std::vector<EntryRecord> recorded;
    std::vector<std::string> recordedNames;
};

struct WalkState {
    // Set before the workers start, read only afterwards.
    std::string rootPath;      // as shown: "C:\", "Z:\tmp\tree"
    std::wstring rootLong;     // "\\?\C:\", "\\?\Z:\tmp\tree"
    WalkOptions options;
    std::uint32_t volumeSerial = 0;
    std::uint64_t cluster = 4096;

    // Appending is safe from any thread. A node is written by the worker that
    // found it until it is queued, then only by the worker that scans it, and
    // by the owner once the walk stopped.
    FolderTable folders;
    HardLinkSet hardLinks;

    std::atomic<bool> stopRequested{false};
    std::atomic<bool> userCancelled{false};
    std::atomic<std::uint64_t> allocated{0}, apparent{0}, files{0}, folderCount{0}, errors{0};

    // Folders found and not yet scanned, last in first out, so that the walk
    // stays close to depth first.
    std::mutex queueMutex;
    std::condition_variable queueChanged;
    std::vector<std::uint32_t> queue;  // queueMutex
    std::size_t unfinished = 0;        // queueMutex; queued plus being scanned

    std::mutex stoppedMutex;
    std::condition_variable stoppedChanged;
    unsigned running = 0;              // stoppedMutex
    bool stopped = false;              // stoppedMutex
    std::function<void()> onStopped;   // stoppedMutex once started
    std::string failure;               // stoppedMutex
    LargestFiles largestFound;         // stoppedMutex

    mutable std::mutex statusMutex;
    std::string status;  // statusMutex
    std::atomic<std::int64_t> lastPublished{0};

    void work();
    void stopLast();
    std::optional<std::uint32_t> scanFolder(std::uint32_t index, LargestFiles& largest);
    bool enterFolder(std::uint32_t index, const std::wstring& path);
    void readFolder(FolderScan& scan);
    void classifyEntry(FolderScan& scan, const WIN32_FIND_DATAW& entry);
    void recordSubFolder(FolderScan& scan, const WIN32_FIND_DATAW& entry, std::string name);
    void recordFile(FolderScan& scan, const WIN32_FIND_DATAW& entry, std::string name, bool link);
    void forget(FolderNode& node);
    void flush(FolderScan& scan, std::optional<std::uint32_t>* keepOne);
    void push(std::vector<std::uint32_t>& items, std::optional<std::uint32_t>* keep);
    void publish(std::uint32_t node);
    std::string shownPath(std::uint32_t node) const;
    std::wstring longPath(std::uint32_t node) const;
    void atStep(WalkStep step, std::uint32_t node) const {
        if (options.stepHook) options.stepHook(step, folders.relativePath(node));
    }
    void countError(FolderNode& node) {
        node.readError = true;
        errors.fetch_add(1, std::memory_order_relaxed);
    }
    bool stopping() const { return stopRequested.load(std::memory_order_relaxed); }
    void requestStop() {
        stopRequested.store(true, std::memory_order_relaxed);
        std::lock_guard lock(queueMutex);
        queueChanged.notify_all();
    }
};

}  // namespace corvath
