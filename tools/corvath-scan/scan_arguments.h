#pragma once

#include <optional>
#include <string>
#include <vector>

namespace corvath {

struct ScanArguments {
    unsigned threads = 8;
    std::optional<std::string> output;  // "-" for standard output
    std::string path;
};

// Parses "[-j THREADS] [-o FILE] PATH"; throws std::invalid_argument with a
// one-line reason.
ScanArguments parseScanArguments(const std::vector<std::string>& arguments);

}  // namespace corvath
