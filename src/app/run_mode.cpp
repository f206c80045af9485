#include "app/run_mode.h"

#include <algorithm>

namespace corvath {

std::string commandLineOf(int argc, const char* const* argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) {
            line += ' ';
        }
        line += argv[i];
    }
    return line;
}

bool commandLineAsksUnattended(const std::string& commandLine) {
    std::string folded = commandLine;
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
    return folded.find("-auto") != std::string::npos;
}

}  // namespace corvath
