// corvath-results from the command line: its help, its version, and a display
// that is missing or cannot be reached.

#include "support/run_program.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

using corvath::test::runProgram;
using corvath::test::TempDir;

std::vector<std::string> bareEnvironment(const TempDir& home) {
    return {"PATH=/usr/bin:/bin", "HOME=" + home.path().string(), "XDG_DATA_HOME=" + (home / "data").string()};
}

TEST(ResultsProgram, HelpAndVersionGoToStandardOutputWithStatusZero) {
    TempDir home;
    for (const char* option : {"--help", "--version"}) {
        const auto run = runProgram({CORVATH_RESULTS_PATH, option}, bareEnvironment(home));
        EXPECT_EQ(run.status, 0) << option;
        EXPECT_EQ(run.err, "") << option;
        EXPECT_EQ(run.out.rfind(option == std::string("--help") ? "usage: corvath-results" : "corvath-results ", 0), 0u)
            << run.out;
    }
    // Naming the database where the scans are read from; no display was needed.
    EXPECT_NE(runProgram({CORVATH_RESULTS_PATH, "--help"}, bareEnvironment(home)).out.find((home / "data").string()),
              std::string::npos);
}

TEST(ResultsProgram, NoDisplayOrAnUnreachableOneEndsWithStatusTwoAndOneLine) {
    TempDir home;
    ASSERT_FALSE(std::filesystem::exists("/tmp/.X11-unix/X187"));
    auto unreachable = bareEnvironment(home);
    unreachable.push_back("DISPLAY=:187");
    for (const auto& environment : {bareEnvironment(home), unreachable}) {
        const auto run = runProgram({CORVATH_RESULTS_PATH}, environment);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(run.err.rfind("corvath-results: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find("corvath-report"), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_FALSE(std::filesystem::exists(home / "data")) << "nothing is written";
}

}  // namespace
