#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/folder_walk.h"

namespace corvath {

// The most threads -j takes.
inline constexpr unsigned kMostThreads = 256;

struct ScanArguments {
    unsigned threads = kDefaultThreads;
    std::optional<std::string> output;  // "-" for standard output
    std::vector<std::string> excludes;  // --exclude's patterns, in their order
    std::string path;
};

// Parses "[-j THREADS] [--exclude PATTERN]... [-o FILE] PATH"
// (--exclude=PATTERN too); throws std::invalid_argument with a
// one-line reason.
ScanArguments parseScanArguments(const std::vector<std::string>& arguments);

}  // namespace corvath
