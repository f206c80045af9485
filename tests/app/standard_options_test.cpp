// --help and --version, which every program answers on standard output with
// status 0, whatever else it would need to run (the wizard needs no display).

#include "support/run_program.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Program {
    const char* name;
    const char* path;
};

class StandardOptions : public ::testing::TestWithParam<Program> {};

// "analyzer" for corvath-analyzer.
std::string shortName(const ::testing::TestParamInfo<Program>& program) {
    const std::string name = program.param.name;
    return name.substr(name.find('-') + 1);
}

TEST_P(StandardOptions, VersionIsOneLineOnStandardOutput) {
    const Program program = GetParam();
    const corvath::test::ProgramRun run = corvath::test::runProgram({program.path, "--version"}, {"PATH=/usr/bin:/bin"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, std::string(program.name) + " " + CORVATH_PROJECT_VERSION + "\n");
    EXPECT_EQ(run.err, "");
}

TEST_P(StandardOptions, HelpShowsTheUsageAndBothOptionsOnStandardOutput) {
    const Program program = GetParam();
    const corvath::test::ProgramRun run = corvath::test::runProgram({program.path, "--help"}, {"PATH=/usr/bin:/bin"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(std::string(program.name) + " "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("--help"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("--version"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.back(), '\n');
    EXPECT_EQ(run.err, "");
}

INSTANTIATE_TEST_SUITE_P(EveryProgram, StandardOptions,
                         ::testing::Values(Program{"corvath-analyzer", CORVATH_ANALYZER_PATH},
                                           Program{"corvath-scan", CORVATH_SCAN_PATH},
                                           Program{"corvath-reg", CORVATH_REG_PATH},
                                           Program{"corvath-report", CORVATH_REPORT_PATH}),
                         shortName);

#ifdef CORVATH_RESULTS_PATH
INSTANTIATE_TEST_SUITE_P(ResultsWindow, StandardOptions,
                         ::testing::Values(Program{"corvath-results", CORVATH_RESULTS_PATH}),
                         shortName);
#endif

}  // namespace
