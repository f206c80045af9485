#include "run/run_state.h"

#include <gtest/gtest.h>

using corvath::commandLineAsksUnattended;
using corvath::commandLineOf;

TEST(RunMode, AutoAnywhereInAnyCaseAsksForTheUnattendedRun) {
    for (const char* line : {"-auto", "-AUTO", "-Auto", "--autostart", "x-autoy", "/q -auto /v"}) {
        EXPECT_TRUE(commandLineAsksUnattended(line)) << line;
    }
    for (const char* line : {"", "auto", "-aut", "- auto", "/auto"}) {
        EXPECT_FALSE(commandLineAsksUnattended(line)) << line;
    }
}

TEST(RunMode, CommandLineIsTheArgumentsWithoutTheProgramName) {
    const char* argv[] = {"/opt/x-auto/corvath-analyzer", "a", "-Auto"};
    EXPECT_EQ(commandLineOf(3, argv), "a -Auto");
    EXPECT_FALSE(commandLineAsksUnattended(commandLineOf(1, argv)))
        << "a program path that happens to contain -auto is not a request";
}
