#include "wizard/progress_percent.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

TEST(ProgressPercent, RoundsHalfwayValuesToTheEvenNeighbour) {
    EXPECT_EQ(progressPercent(975, 1000), 98);
    EXPECT_EQ(progressPercent(965, 1000), 96);
    EXPECT_EQ(progressPercent(1, 8), 12);   // 12.5
    EXPECT_EQ(progressPercent(3, 8), 38);   // 37.5
    EXPECT_EQ(progressPercent(50000, 200000), 25);
    EXPECT_EQ(progressPercent(350000, 1000000), 35);
}

TEST(ProgressPercent, KeepsWithinZeroToHundredAndSurvivesAZeroWhole) {
    EXPECT_EQ(progressPercent(5, 0), 0);
    EXPECT_EQ(progressPercent(0, 0), 0);
    EXPECT_EQ(progressPercent(2000, 1000), 100);
    EXPECT_EQ(progressPercent(1e18, 1), 100);  // far past what 16 bits hold
    EXPECT_EQ(progressPercent(-10, 1000), 0);
    EXPECT_EQ(progressPercent(0, 1000), 0);
}

TEST(ProgressPercent, RunningBarsStopAt97) {
    EXPECT_EQ(runningBarValue(96), 96);
    EXPECT_EQ(runningBarValue(97), 97);
    EXPECT_EQ(runningBarValue(98), 97);
    EXPECT_EQ(runningBarValue(100), 97);
    EXPECT_EQ(runningBarValue(0), 0);
}

}  // namespace
}  // namespace corvath
