// The wizard started where there is no display to show it on.

#include "support/run_program.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

TEST(NoDisplay, TheWizardExitsWithStatusTwoAndOneLinePointingToAuto) {
    corvath::test::TempDir home;
    // No DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM.
    const corvath::test::ProgramRun run = corvath::test::runProgram(
        {CORVATH_ANALYZER_PATH}, {"PATH=/usr/bin:/bin", "HOME=" + home.path().string(),
                                  "XDG_CONFIG_HOME=" + (home / "config").string()});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find("-auto"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
}

TEST(NoDisplay, AnUnreachableDisplayAlsoEndsWithStatusTwoAndTheLine) {
    corvath::test::TempDir home;
    // A display number with no server behind it; Qt alone would abort.
    ASSERT_FALSE(std::filesystem::exists("/tmp/.X11-unix/X187"));
    const corvath::test::ProgramRun run = corvath::test::runProgram(
        {CORVATH_ANALYZER_PATH}, {"PATH=/usr/bin:/bin", "HOME=" + home.path().string(),
                                  "XDG_CONFIG_HOME=" + (home / "config").string(), "DISPLAY=:187"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find("DISPLAY=:187"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("-auto"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
}
