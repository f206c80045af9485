#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace corvath::test {

// What the standard tools report for a tree: du -s -x -B1, and find -xdev.
struct Reference {
    std::uint64_t allocated = 0;
    std::uint64_t apparent = 0;
    std::uint64_t entries = 0;  // files and folders, the root included
    std::uint64_t folders = 0;
};
Reference referenceFor(const std::filesystem::path& root);
// du -s -x -B1 alone, for trees where the counts are known and the other walks
// would only cost time.
std::uint64_t allocatedByDu(const std::filesystem::path& root);

// Runs a shell command; returns its standard output, and its exit status in status.
std::string runCommand(const std::string& command, int* status = nullptr);
std::string shellQuote(const std::string& text);

// A tree with the awkward cases: hard links within and across folders, a sparse
// file, symbolic links to a file, a folder, nowhere and in a loop, a fifo, and
// names with a newline, a TAB, bytes that are not UTF-8 and a leading dash.
void makeAwkwardTree(const std::filesystem::path& root);
// A chain of nested folders "d/d/d/...", each with one small file.
void makeDeepChain(const std::filesystem::path& root, int depth);
// Removes such a chain in time proportional to its depth (std::filesystem and
// rm take far longer, or give up).
void removeDeepChain(const std::filesystem::path& root);

}  // namespace corvath::test
