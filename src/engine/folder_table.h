#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace corvath {

// A scanned folder. While scanning, the totals hold the folder itself and its
// direct entries; after the scan they are summed up to include every sub-folder.
struct FolderNode {
    static constexpr std::uint32_t kNoParent = 0xFFFFFFFFu;
    std::uint32_t parent = kNoParent;
    bool readError = false;
    // A mount point: another filesystem seen when its parent was listed, or one
    // found only when opened (a bind mount of the same filesystem). Not entered,
    // no size, kept so that every view can say a drive is mounted here.
    bool otherFilesystem = false;
    // Removed while the scan ran: not counted, not visited, no size.
    bool vanished = false;
    // Left out by the scan's exclude patterns: counted as a folder by its
    // parent, never entered, no size, like a mount point.
    bool excluded = false;
    // A btrfs subvolume (or snapshot): the same filesystem and mount under
    // another device number; entered and counted like any folder.
    bool subvolume = false;
    std::string name;  // raw bytes; the root holds the path it was scanned as
    std::uint64_t inode = 0;
    // Of the filesystem mounted here, or of the subvolume the folder is in; 0
    // when it is the scan root's own.
    std::uint64_t device = 0;
    std::uint64_t allocated = 0;
    std::uint64_t apparent = 0;
    std::uint64_t files = 0;
    std::uint64_t folders = 0;  // sub-folders, mount points and excluded folders not entered included
    std::uint64_t ownAllocated = 0;  // the folder itself
    std::uint64_t ownApparent = 0;
};

// Folders of one scan, addressed by index. Appending is safe from any thread;
// a node never moves, so a worker may read the name and parent of any node whose
// index it was handed, while other workers append. A child's index is always
// greater than its parent's.
class FolderTable {
public:
    FolderTable();
    ~FolderTable();
    FolderTable(const FolderTable&) = delete;
    FolderTable& operator=(const FolderTable&) = delete;

    // Returns the index of a new, default node; throws std::length_error when full.
    std::uint32_t append();
    FolderNode& operator[](std::uint32_t index) {
        return chunks_[index / kChunkSize].load(std::memory_order_acquire)[index % kChunkSize];
    }
    const FolderNode& operator[](std::uint32_t index) const {
        return chunks_[index / kChunkSize].load(std::memory_order_acquire)[index % kChunkSize];
    }
    // Only meaningful once the appending threads are done.
    std::uint32_t size() const { return size_.load(std::memory_order_acquire); }

    // Adds every sub-folder's totals to its parent's. Call once, after the scan.
    void sumUp();

    // The path of a node below the root, with the platform's separator between the
    // parts ("" for the root).
    std::string relativePath(std::uint32_t index) const;

private:
    static constexpr std::uint32_t kChunkSize = 4096;
    static constexpr std::uint32_t kMaxChunks = 65536;
    std::unique_ptr<std::atomic<FolderNode*>[]> chunks_;
    std::atomic<std::uint32_t> size_{0};
    std::mutex appendMutex_;
};

// Visits the folders depth first, parents before children, with the full path
// of each (root path joined with the relative parts), in one path buffer so that
// deep trees cost no more than their size. leave() is called after a folder's
// sub-folders.
class FolderVisitor {
public:
    virtual ~FolderVisitor() = default;
    virtual void enter(std::uint32_t index, const std::string& path) = 0;
    virtual void leave(std::uint32_t index) = 0;
};
void visitDepthFirst(const FolderTable& table, const std::string& rootPath, FolderVisitor& visitor);

}  // namespace corvath
