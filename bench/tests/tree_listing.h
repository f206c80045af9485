#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace corvath::bench::listing {

// Every entry below `root` as sorted lines of relative path, type, size, link
// count and symlink target: equal listings mean equal trees.
std::string listTree(const std::filesystem::path& root);

// Runs du with `options` on `path` and returns its first number.
std::uint64_t duBytes(const std::string& options, const std::filesystem::path& path);

}  // namespace corvath::bench::listing
