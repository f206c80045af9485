#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace corvath::test {

struct ProgramRun {
    int status = -1; // exit status; -1 when it could not start, was killed or did not end in time
    bool timedOut = false;
    std::string out;
    std::string err;
};

// Runs a program as a user would, with exactly the environment given, no
// terminal on standard input, and its output captured. Waits for it to end.
ProgramRun runProgram(const std::vector<std::string>& argv, const std::vector<std::string>& environment);

// The same, waiting at most limit: a program still running then is sent
// SIGKILL and left (one held by a hung filesystem cannot be reaped).
ProgramRun runProgram(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                      std::chrono::milliseconds limit);

}  // namespace corvath::test
