#pragma once

#include <cstdint>
#include <string>

namespace corvath::bench {

struct WalkTotals {
    std::uint64_t allocated = 0;  // st_blocks × 512, each inode once
    std::uint64_t apparent = 0;   // st_size, each inode once
    std::uint64_t files = 0;      // every non-folder entry, every name of a hard link
    std::uint64_t folders = 0;    // the root included
    std::uint64_t errors = 0;
};

// The least work a correct scan can do, on `threads` threads, each folder opened
// relative to its parent, never following a link: getdents64 and one fstatat
// per entry, staying on the root's filesystem (floor_walk.cpp); on Windows,
// GetFileInformationByHandleEx listings alone (floor_walk_win32.cpp). Throws if
// the root cannot be opened.
WalkTotals floorWalk(const std::string& root, unsigned threads);

}  // namespace corvath::bench
