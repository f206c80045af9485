#pragma once

#include <cstddef>
#include <cstdint>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace corvath {

class NameMatcher;

// A folder a search found.
struct FoundFolder {
    std::string path;  // full path
    std::int64_t node = 0;
    std::uint64_t allocated = 0;
};

// What a search of a whole scan found: at most the number asked for, largest
// first; matched counts every folder that matched.
struct FolderMatches {
    std::vector<FoundFolder> folders;
    std::size_t matched = 0;
    bool cut() const { return matched > folders.size(); }
};

// Every folder of one scan with the folder that holds it, names packed in one
// buffer: about 30 bytes a folder, so that the window can keep the shown
// scan's and search it again at every key the user types.
class ScanFolders {
public:
    static constexpr std::uint32_t kNone = static_cast<std::uint32_t>(-1);

    // Adds a folder below the one added as parent (kNone for the scan's root,
    // whose name is its full path); returns its index.
    std::uint32_t add(std::uint32_t parent, std::string_view name, std::int64_t node, std::uint64_t allocated);
    std::size_t size() const { return parent_.size(); }
    std::string_view name(std::uint32_t index) const;
    std::string path(std::uint32_t index) const;

    // The folders whose names the matcher accepts (the root's, being a path,
    // never), largest first, then by name; at most limit of them. Returns what
    // it has when stopped: the caller has lost interest.
    FolderMatches find(const NameMatcher& matcher, std::size_t limit, std::stop_token stop = {}) const;

private:
    std::string names_;
    std::vector<std::size_t> nameEnd_;
    std::vector<std::uint32_t> parent_;
    std::vector<std::int64_t> node_;
    std::vector<std::uint64_t> allocated_;
};

}  // namespace corvath
