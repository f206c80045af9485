// The state the Windows walk's workers share: the handle's side is in
// folder_walk_handle.cpp and folder_walk_win32.cpp, the scan of one folder in
// folder_scan_win32.cpp.
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

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/folder_table.h"
#include "engine/folder_tally.h"
#include "engine/folder_walk.h"
#include "engine/hard_link_set.h"
#include "engine/largest_files.h"
#include "engine/walk_pool.h"

namespace corvath {

// One folder while a worker reads it, and what it counted that the shared
// totals do not hold yet (the entries' names are held in the tally).
struct FolderScan : FolderTally {
    FolderScan(std::uint32_t folder, FolderNode& own, std::wstring longPath, LargestFiles& workerLargest)
        : FolderTally(folder, own, workerLargest), path(std::move(longPath)), base(path.size()) {}

    std::wstring path;  // "\\?\..." with a trailing "\", a name appended for each entry
    std::size_t base;   // the length of path without the entry's name
    std::vector<std::uint32_t> found;
};

// Shared by the workers and the FolderWalk handle; what both platforms share is
// in WalkPool. An item in the queue is a folder's index.
struct WalkState : WalkPool<WalkState, std::uint32_t> {
    // What a worker keeps across the folders it scans.
    struct Worker {
        LargestFiles largest;
    };

    // Set before the workers start, read only afterwards.
    std::wstring rootLong;  // rootPath ("C:\", "Z:\tmp\tree") as "\\?\C:\", "\\?\Z:\tmp\tree"
    std::uint32_t volumeSerial = 0;
    std::uint64_t cluster = 4096;

    void releaseFolders() {}  // none is kept open between folders
    // Counts a folder that could not be read (error from GetLastError), unless
    // the error says the drive itself has gone: then the walk fails.
    void countFailure(FolderNode& node, unsigned long error, bool atRoot);
    std::optional<std::uint32_t> scanFolder(std::uint32_t index, Worker& worker);
    bool enterFolder(std::uint32_t index, const std::wstring& path);
    void readFolder(FolderScan& scan);
    void classifyEntry(FolderScan& scan, const WIN32_FIND_DATAW& entry);
    void recordSubFolder(FolderScan& scan, const WIN32_FIND_DATAW& entry, std::string name);
    void recordFile(FolderScan& scan, const WIN32_FIND_DATAW& entry, std::string name, bool link);
    std::string shownPath(std::uint32_t node) const;
    std::wstring longPath(std::uint32_t node) const;
};

}  // namespace corvath
