#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvath::bench {

// What one non-folder entry of the synthetic tree is.
enum class EntryKind : std::uint8_t {
    Empty,      // zero-length regular file
    Tiny,       // 1..200 bytes
    Small,      // 1..16 KiB
    Medium,     // 64 KiB..1 MiB
    Sparse,     // 1..16 GiB apparent, one 4 KiB block written
    HardLink,   // another name for an earlier regular file, same or other folder
    Symlink,    // relative, absolute, dangling, or pointing at a folder
};

struct PlannedEntry {
    EntryKind kind = EntryKind::Empty;
    std::uint64_t size = 0;          // bytes of data, or the apparent size when sparse
    std::uint32_t targetFolder = 0;  // hard link: the folder holding the original
    std::uint32_t targetEntry = 0;   // hard link: the original's index in that folder
    std::uint32_t symlinkIndex = 0;  // symlink: which target text (see symlinkTarget)
};

struct PlannedFolder {
    std::uint32_t parent = 0;  // folder 0 is the root and its own parent
    std::uint32_t depth = 0;
    bool inDeepChain = false;  // part of the long chain whose paths exceed PATH_MAX
    std::vector<PlannedEntry> entries;
    std::vector<std::uint32_t> children;
};

struct TreeParameters {
    std::uint64_t seed = 1;
    std::uint32_t files = 1'000'000;
    std::uint32_t folders = 50'000;
    std::uint32_t deepChain = 600;  // folders in the long chain (part of `folders`)

    // Text that identifies the tree these parameters produce; written as the stamp.
    std::string describe() const;
};

struct TreePlan {
    TreeParameters params;
    std::vector<PlannedFolder> folders;
};

// The same parameters always give the same plan.
TreePlan makePlan(const TreeParameters& params);

std::string folderName(std::uint32_t folder);
std::string entryName(const PlannedEntry& entry, std::uint32_t index);
std::string symlinkTarget(std::uint32_t symlinkIndex, std::uint32_t entryCount);

}  // namespace corvath::bench
