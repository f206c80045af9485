#include "run/run_state.h"

#include "text/ascii_case.h"

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
    return containsIgnoringCase(commandLine, "-auto");
}

}  // namespace corvath
