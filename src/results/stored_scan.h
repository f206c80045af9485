#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "text/paths.h"

namespace corvath {

// One stored scan of a drive.
struct StoredScan {
    std::int64_t id = 0;
    std::string drive;  // as the wizard names it: "/", "/home/"; where it was mounted then
    std::string root;   // the path its folders hang from: "/", "/home"
    // Which drive it is of: the same for every scan of one filesystem, across
    // mount points; its mount point for a filesystem that has no identity.
    std::string driveKey;
    std::chrono::system_clock::time_point started;
    std::chrono::system_clock::time_point finished;
    std::uint64_t allocated = 0;
    std::uint64_t apparent = 0;
    std::uint64_t files = 0;
    std::uint64_t folders = 0;  // the root and every folder below it
    std::uint64_t errors = 0;
    std::int64_t top = 0;  // the root folder's node
    // The drive's used bytes as the system counted them when it was scanned;
    // nullopt for a scan from before they were kept, or when the system would
    // not tell. Beside allocated (what the scan counted) it shows the gap.
    std::optional<std::uint64_t> driveUsed;
    std::vector<std::string> excludes;  // the exclude patterns it ran with
};

// Whether two scans ran with different exclude patterns (order and repeats
// aside): their sizes then do not compare like for like.
bool excludesDiffer(const StoredScan& a, const StoredScan& b);

// A stored folder. Scans of a drive share the folders that did not change, so
// a node stands for a whole unchanged subtree and belongs to any number of
// scans (and, for identical subtrees, to more than one place in a scan).
struct StoredFolder {
    static constexpr std::uint32_t kUnreadable = 1;       // could not be opened or read in full
    static constexpr std::uint32_t kOtherFilesystem = 2;  // a mount point, not entered
    static constexpr std::uint32_t kExcluded = 4;         // left out by the scan's exclude patterns, not entered
    static constexpr std::uint32_t kSubvolume = 8;        // a btrfs subvolume or snapshot, entered

    std::int64_t node = 0;
    std::string name;  // raw bytes; the root's is its full path
    // Everything below the folder, the folder itself included.
    std::uint64_t allocated = 0;
    std::uint64_t apparent = 0;
    std::uint64_t files = 0;
    std::uint64_t folders = 0;  // below it, not itself
    std::uint32_t flags = 0;
    std::uint32_t children = 0;  // sub-folders stored under it
    // The folder's own entry and files: its totals less its children's.
};

// The folders a folder holds as every view counts them: the folder itself and
// every folder below it, as its bytes count its own entry, as a scan counts
// its root and as `find DIR -type d` counts; so a scan's root row and the scan
// agree. Stored below it only, hence the one added.
inline std::uint64_t foldersCounted(const StoredFolder& folder) { return folder.folders + 1; }

// One of a scan's largest files.
struct StoredFile {
    std::string folder;  // full path of the folder that holds it
    std::string name;    // raw bytes
    std::uint64_t allocated = 0;
    std::uint64_t apparent = 0;
    std::int64_t modified = 0;  // seconds since the epoch
    std::string path() const { return childPath(folder, name); }
};

}  // namespace corvath
