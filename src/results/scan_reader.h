#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "results/scan_folders.h"
#include "results/stored_scan.h"

namespace corvath {

class Connection;
class NameMatcher;
class NodeReader;

// The largest folders under a path, largest first. Each knows the folder that
// holds it, and its path is made when asked for: the ranking's memory grows
// with the number of folders, not with their number times their depth.
struct FolderRanking {
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    struct Entry {
        std::size_t parent = kNone;  // the entry of the folder that holds it; kNone for the first
        unsigned depth = 0;          // 0 for the folder asked about
        StoredFolder folder;
        std::uint64_t parentAllocated = 0;  // for its share of the parent; 0 for depth 0
    };
    std::string start;  // full path of the folder asked about
    std::vector<Entry> entries;

    std::string path(std::size_t index) const;
};

// How a folder differs between two scans of a drive.
struct FolderChange {
    enum class Kind { Changed, New, Gone };
    std::string path;  // full path
    Kind kind = Kind::Changed;
    StoredFolder before;  // empty (node 0) for a new folder
    StoredFolder after;   // empty (node 0) for a gone folder
    std::int64_t grown() const {
        return static_cast<std::int64_t>(after.allocated) - static_cast<std::int64_t>(before.allocated);
    }
};

// Which folders count as changed between two scans: those whose size differs,
// or every folder whose stored content differs in any way (a sub-folder renamed,
// one file replaced by another of the same size).
enum class Changed { InSize, InAnyWay };

// Reads the scans database. Every query reads only what it needs: a folder's
// children when it is opened, never a whole scan. Throws ResultsError.
class ScanReader {
public:
    // Opens the file at path; an older file of ours is migrated first. Throws
    // ResultsError when there is no file yet, or it is not ours or a link.
    explicit ScanReader(const std::string& path);
    ~ScanReader();
    ScanReader(const ScanReader&) = delete;
    ScanReader& operator=(const ScanReader&) = delete;

    const std::string& path() const { return path_; }

    // Oldest first; only those of one drive (its StoredScan::driveKey) when given.
    std::vector<StoredScan> scans(const std::optional<std::string>& driveKey = std::nullopt) const;
    std::optional<StoredScan> scan(std::int64_t id) const;
    // The newest scan of each drive, by drive key.
    std::vector<StoredScan> latestScans() const;
    // The newest scan made of the drive mounted at driveName ("/home/"), by
    // whichever drive was mounted there.
    std::optional<StoredScan> latestScanAt(const std::string& driveName) const;
    // The scan of a path: the newest scan of the drive whose root holds the
    // path most closely (the longest root that is the path or above it).
    std::optional<StoredScan> scanHolding(const std::string& path) const;

    StoredFolder folder(std::int64_t node) const;
    // Largest first (allocated bytes, then name).
    std::vector<StoredFolder> children(std::int64_t node) const;
    // The nodes of its sub-folders, ascending: no sub-folder is read.
    std::vector<std::int64_t> childIds(std::int64_t node) const;
    // Its sub-folders that the other node does not share, largest first: how
    // the same folder in another scan differs, without reading what they share.
    std::vector<StoredFolder> childrenNotIn(std::int64_t node, std::int64_t other) const;
    // A full path (or one below the scan's root) in a scan; nullopt when the
    // scan holds no such folder.
    std::optional<StoredFolder> findFolder(const StoredScan& scan, const std::string& path) const;

    // The largest folders at path and below, at most depth levels down, largest
    // first: the folder itself comes first, as in `du | sort -n -r`.
    // Throws ResultsError when a folder turns out to hold itself (a damaged file).
    FolderRanking largestFolders(const StoredScan& scan, const std::string& path, std::size_t count,
                                 std::optional<unsigned> depth = std::nullopt) const;
    // The scan's largest files at path or below, largest first. A scan keeps
    // only its LargestFiles::kKept largest, so this is the largest of those.
    std::vector<StoredFile> largestFiles(const StoredScan& scan, const std::string& path, std::size_t count) const;
    // Folders at path and below that changed between the two scans (by size,
    // or in any way), and folders new or gone (the top of a new or gone
    // subtree only), largest change first, then in the tree's order. Subtrees
    // the two scans share are skipped unread.
    std::vector<FolderChange> changes(const StoredScan& from, const StoredScan& to, const std::string& path,
                                      std::size_t count, Changed which = Changed::InSize) const;

    // Every folder of the scan, read in one pass (see walkScan); nullopt when stopped.
    std::optional<ScanFolders> scanFolders(const StoredScan& scan, std::stop_token stop = {}) const;
    // The scan's folders whose names hold the matcher's text, largest first, at most limit.
    FolderMatches findFolders(const StoredScan& scan, const NameMatcher& matcher, std::size_t limit) const;

    // For a walk that finds a folder deeper than the scan has folders: the
    // folder holds itself, which only a damaged file can say.
    [[noreturn]] void failHoldsItself(std::int64_t node) const;

private:
    // One read transaction for a whole query (and any it calls): without one,
    // SQLite locks and unlocks the file for every row it reads.
    class Snapshot;
    mutable int reading_ = 0;
    std::string path_;
    std::unique_ptr<Connection> db_;
    std::unique_ptr<NodeReader> nodes_;
};

}  // namespace corvath
