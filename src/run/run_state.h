#pragma once

#include "settings/analyzer_settings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace corvath {

struct ProgressTotals {
    std::uint64_t totalUsedBytes = 0;
    std::uint64_t currentDriveUsedBytes = 0;
    std::uint64_t completedBytes = 0;
    std::uint64_t processedBytes = 0;
};

// The program's shared state for one process: what the run modes, the drive
// logic and the window read and write between them.
struct RunState {
    bool unattended = false;
    bool noDrivesSelected = false;
    bool rememberSelection = false;
    SavedSelection savedSelection;
    std::vector<std::string> driveSelection;
    ProgressTotals totals;
};

// The arguments after the program's name, joined by single spaces.
std::string commandLineOf(int argc, const char* const* argv);

// "-auto" anywhere in the command line, in any case, even inside a longer word,
// asks for the unattended run.
bool commandLineAsksUnattended(const std::string& commandLine);

}  // namespace corvath
