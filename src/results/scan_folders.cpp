#include "results/scan_folders.h"

#include <algorithm>

#include "text/name_match.h"
#include "text/paths.h"

namespace corvath {

std::uint32_t ScanFolders::add(std::uint32_t parent, std::string_view name, std::int64_t node,
                               std::uint64_t allocated) {
    names_ += name;
    nameEnd_.push_back(names_.size());
    parent_.push_back(parent);
    node_.push_back(node);
    allocated_.push_back(allocated);
    return static_cast<std::uint32_t>(parent_.size() - 1);
}

std::string_view ScanFolders::name(std::uint32_t index) const {
    const std::size_t start = index == 0 ? 0 : nameEnd_[index - 1];
    return std::string_view(names_).substr(start, nameEnd_[index] - start);
}

std::string ScanFolders::path(std::uint32_t index) const {
    std::vector<std::uint32_t> way;
    for (std::uint32_t at = index; at != kNone; at = parent_[at]) way.push_back(at);
    std::string path;
    for (auto it = way.rbegin(); it != way.rend(); ++it) appendChild(path, name(*it));
    return path;
}

FolderMatches ScanFolders::find(const NameMatcher& matcher, std::size_t limit, std::stop_token stop) const {
    std::vector<std::uint32_t> matched;
    for (std::uint32_t i = 0; i < parent_.size(); ++i) {
        if ((i & 0xfff) == 0 && stop.stop_requested()) return {};
        if (parent_[i] != kNone && matcher.matches(name(i))) matched.push_back(i);
    }
    FolderMatches result;
    result.matched = matched.size();
    const std::size_t kept = std::min(limit, matched.size());
    std::partial_sort(matched.begin(), matched.begin() + static_cast<std::ptrdiff_t>(kept), matched.end(),
                      [this](std::uint32_t a, std::uint32_t b) {
                          if (allocated_[a] != allocated_[b]) return allocated_[a] > allocated_[b];
                          const std::string_view nameA = name(a), nameB = name(b);
                          return nameA != nameB ? nameA < nameB : a < b;
                      });
    for (std::size_t i = 0; i < kept; ++i) {
        const std::uint32_t at = matched[i];
        result.folders.push_back({path(at), node_[at], allocated_[at]});
    }
    return result;
}

}  // namespace corvath
