#pragma once

#include <string>
#include <vector>

namespace corvath::test {

struct ProgramRun {
    int status = -1; // exit status; -1 when it could not start or was killed
    std::string out;
    std::string err;
};

// Runs a program as a user would, with exactly the environment given, no
// terminal on standard input, and its output captured. Waits for it to end.
ProgramRun runProgram(const std::vector<std::string>& argv, const std::vector<std::string>& environment);

}  // namespace corvath::test
