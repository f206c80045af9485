// Counting what a walk finds, written once for every platform: each walker
// reads an entry's facts from its own system calls and hands them over here,
// where a file with several links is counted once, the totals grow, the
// largest files are offered and the entry sink's records are made.
#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <string_view>
#include <vector>

#include "engine/entry_sink.h"
#include "engine/folder_table.h"
#include "engine/hard_link_set.h"
#include "engine/largest_files.h"

namespace corvath {

// What one folder's scan has counted since its last flush, that the walk's
// shared totals do not hold yet. Each platform's scan of a folder derives from it.
struct FolderTally {
    FolderTally(std::uint32_t folder, FolderNode& own, LargestFiles& workerLargest)
        : index(folder), node(own), largest(&workerLargest) {}

    std::uint32_t index;
    FolderNode& node;
    LargestFiles* largest;  // the worker's own
    std::uint64_t allocated = 0, apparent = 0, files = 0, folders = 0;
    // Entries for the entry sink, handed over at each flush: their names point
    // into the walker's buffer or into heldNames, both good until then.
    std::vector<EntryRecord> recorded;
    // Names a walker cannot lend until the flush (converted from another
    // encoding); a list, so that they stay where they are as it grows.
    std::list<std::string> heldNames;

    std::string_view holdName(std::string name) { return heldNames.emplace_back(std::move(name)); }
};

// An entry that is not a folder to enter (a file, a link, a device, a FIFO), as
// the walker read it.
struct FileFacts {
    std::string_view name;  // raw bytes; must last until the flush when entries are kept
    std::uint64_t allocated = 0;
    std::uint64_t apparent = 0;
    std::uint64_t device = 0;  // with inode, tells one file's links from other files
    std::uint64_t inode = 0;
    std::uint32_t links = 1;
    std::int64_t modified = 0;  // seconds since the epoch
    bool regular = true;        // a regular file, one of the largest files if large enough
    bool linksSoFar = false;    // as in EntryRecord
};

// A sub-folder on the scan's filesystem, as the walker read it; what the
// walker learns only when it opens the folder it sets in the table then.
struct SubFolderFacts {
    std::uint64_t allocated = 0;
    std::uint64_t apparent = 0;
    std::uint64_t inode = 0;
};

// Counts a file in its folder; keepEntries when the walk has an entry sink.
void countFile(FolderTally& tally, const FileFacts& file, HardLinkSet& hardLinks, bool keepEntries);

// Counts a sub-folder and adds it to the table, to be scanned; returns its index.
std::uint32_t countSubFolder(FolderTally& tally, FolderTable& folders, std::string name, const SubFolderFacts& folder);

// Counts a folder where another filesystem is mounted and adds it to the table
// marked so, never to be scanned: not entered, no size.
void countOtherFilesystem(FolderTally& tally, FolderTable& folders, std::string name, std::uint64_t device,
                          std::uint64_t inode);

// Counts a folder that the exclude patterns leave out and adds it to the table
// marked so, never to be scanned: not entered, no size.
void countExcluded(FolderTally& tally, FolderTable& folders, std::string name, std::uint64_t inode);

}  // namespace corvath
