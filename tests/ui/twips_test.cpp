#include "ui/twips.h"

#include <gtest/gtest.h>

#include <limits>

namespace corvath {
namespace {

TEST(Twips, RoundsHalvesToEven) {
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(3.5), 4);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(-3.5), -4);
    EXPECT_EQ(roundHalfEven(7.49), 7);
    EXPECT_EQ(roundHalfEven(1e12), std::numeric_limits<int>::max());
    EXPECT_EQ(roundHalfEven(-1e12), std::numeric_limits<int>::min());
}

TEST(Twips, ConvertsWithTruncatingDivision) {
    EXPECT_EQ(twipsToPixels(6465, 15), 431);
    EXPECT_EQ(twipsToPixels(350, 15), 23);     // 23.33 truncates
    EXPECT_EQ(twipsToPixels(-555, 15), -37);
    EXPECT_EQ(twipsToPixels(-560, 15), -37);   // toward zero, not down
    EXPECT_EQ(twipsToPixels(1052.5, 15), 70);  // 1052 after rounding to even
    EXPECT_EQ(twipsToPixels(1440, 7.5), 180);  // the factor rounds to 8 first
}

TEST(Twips, AFactorBelowOneDoesNotDivideByZero) {
    EXPECT_EQ(twipsToPixels(100, 0), 100);
    EXPECT_EQ(twipsToPixels(100, 0.4), 100);
}

}  // namespace
}  // namespace corvath
