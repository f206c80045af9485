// The state the Windows walk's workers share: the handle's side is in
// folder_walk_handle.cpp and folder_walk_win32.cpp, the scan of one folder in
// folder_scan_win32.cpp.
//
// How the Windows walk reads a drive: each folder is opened once, relative to
// its parent's handle (NtCreateFile with RootDirectory, so no path is ever
// long; the root by its "\\?\" path), and listed on that handle with
// GetFileInformationByHandleEx(FileIdBothDirectoryInfo), or
// FileIdExtdDirectoryInfo on a volume with 128-bit file IDs, into a 64 KiB
// buffer (16 KiB on a network drive, where large buffers are known to fail);
// a volume that knows neither is listed with FileFullDirectoryInfo. Each entry
// brings its allocation, size, attributes, times and file ID: no file is ever
// opened, so a walk makes one open and a few listing calls per folder. A
// folder's handle stays open until the last of its sub-folders has been opened
// on it, so the handles open at once are about the folders on the paths the
// workers are in and those waiting beside them.
//
// What a scan counts, and how it differs from the POSIX walk:
// - allocated is each entry's AllocationSize as listed (a compressed or sparse
//   file's included), apparent its EndOfFile; the root's own from its handle.
// - No listing tells a link count, so hard links are found by file ID: an ID
//   listed twice on the volume is one file (FileIdTable, compact for the dense
//   IDs of NTFS and of Wine). The first sighting counts the bytes where it is;
//   once the walk is over they move to the owning link's folder, the least
//   (folder ID, name) as on Linux, so that two scans of an unchanged tree agree
//   folder by folder. Listed without IDs (FileFullDirectoryInfo), every link
//   counts.
// - A reparse point that stands for another name (a symbolic link, a junction,
//   a mounted volume) counts as one file with its listed size and is never
//   entered, which keeps the walk on the root's volume; Wine lists a Unix
//   symbolic link to a folder, and a mount point, as a reparse point without a
//   tag. Other reparse points (deduplicated files) are the files and folders
//   they look like.
// - A cloud placeholder (FILE_ATTRIBUTE_RECALL_ON_DATA_ACCESS, RECALL_ON_OPEN,
//   OFFLINE) counts the allocation it is listed with, what it takes on the
//   volume; it is never opened, and such a folder is not entered, so the walk
//   never makes the provider fetch anything.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
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
#include "engine/walk_pool.h"
#include "engine/windows/file_id_table.h"
#include "engine/windows/win32_file.h"

namespace corvath {

// A folder waiting to be scanned: its index, and its parent's handle, open
// until the last of its sub-folders has been opened. Default-made, the root.
struct FolderItem {
    std::uint32_t index = 0;
    std::shared_ptr<win32::UniqueHandle> parent;
};

// One listed entry, whichever listing gave it.
struct ListedEntry {
    std::wstring_view name;
    std::uint64_t allocated = 0;
    std::uint64_t apparent = 0;
    std::uint64_t idLow = 0, idHigh = 0;  // 0 when the listing gives no ID
    std::int64_t modified = 0;  // FILETIME ticks
    DWORD attributes = 0;
    DWORD reparseTag = 0;
};

// How the walk lists folders: the first listing that fails as unsupported
// falls back to FileFullDirectoryInfo for the rest of the walk.
enum class ListingKind { IdBoth, IdExtd, Full };

// One folder while a worker reads it, and what it counted that the shared
// totals do not hold yet (the entries' names are held in the tally).
struct FolderScan : FolderTally {
    FolderScan(std::uint32_t folder, FolderNode& own, LargestFiles& workerLargest)
        : FolderTally(folder, own, workerLargest) {}

    std::shared_ptr<win32::UniqueHandle> handle;  // the folder's, handed to its sub-folders
    std::vector<FolderItem> found;
};

// Shared by the workers and the FolderWalk handle; what both platforms share is
// in WalkPool.
struct WalkState : WalkPool<WalkState, FolderItem> {
    // What a worker keeps across the folders it scans.
    struct Worker {
        LargestFiles largest;
        std::unique_ptr<std::uint64_t[]> buffer;  // the listing's, 8-byte aligned
    };
    static constexpr std::size_t kListingBytes = 64 * 1024, kRemoteListingBytes = 16 * 1024;

    // Set before the workers start, read only afterwards.
    std::wstring rootLong;  // rootPath ("C:\", "Z:\tmp\tree") as "\\?\C:\", "\\?\Z:\tmp\tree"
    std::uint32_t volumeSerial = 0;
    win32::VolumeFacts volume;
    std::size_t listingBytes = kListingBytes;
    win32::UniqueHandle rootHandle;  // until the root's scan takes it

    std::atomic<ListingKind> listing{ListingKind::IdBoth};  // only ever moves to Full
    win32::FileIdTable fileIds;  // its own synchronisation

    void releaseFolders();
    // Counts a folder that could not be read (error from GetLastError), unless
    // the error says the drive itself has gone: then the walk fails.
    void countFailure(FolderNode& node, unsigned long error, bool atRoot);
    std::optional<FolderItem> scanFolder(FolderItem& item, Worker& worker);
    win32::UniqueHandle openItem(FolderItem& item);
    void readFolder(FolderScan& scan, Worker& worker);
    bool listBatch(HANDLE folder, Worker& worker, bool first, ListingKind& kind);
    template <typename Info, typename F>
    void forEachListed(const std::uint64_t* buffer, F f) const;
    void classifyEntry(FolderScan& scan, const ListedEntry& entry);
    void recordFile(FolderScan& scan, const ListedEntry& entry, std::string name, bool link);
    std::string shownPath(std::uint32_t node) const;
};

}  // namespace corvath
