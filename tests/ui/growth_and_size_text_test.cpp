#include "text/size_text.h"
#include "ui/growth_shade.h"

#include <gtest/gtest.h>

#include <limits>

namespace corvath {
namespace {

TEST(SizeText, ShowsBinaryUnitsWithOneDecimal) {
    EXPECT_EQ(sizeText(0), "0 B");
    EXPECT_EQ(sizeText(1023), "1023 B");
    EXPECT_EQ(sizeText(1024), "1.0 KiB");
    EXPECT_EQ(sizeText(1536), "1.5 KiB");
    EXPECT_EQ(sizeText(50ull << 20), "50.0 MiB");
    EXPECT_EQ(sizeText((1ull << 30) - 1), "1.0 GiB");  // not "1024.0 MiB"
    EXPECT_EQ(sizeText(3ull << 40), "3.0 TiB");
    EXPECT_EQ(sizeText(std::numeric_limits<std::uint64_t>::max()), "16.0 EiB");
}

TEST(SizeText, ChangesCarryTheirSign) {
    EXPECT_EQ(sizeChangeText(0), "0 B");
    EXPECT_EQ(sizeChangeText(50ll << 20), "+50.0 MiB");
    EXPECT_EQ(sizeChangeText(-200), "-200 B");
    EXPECT_EQ(sizeChangeText(std::numeric_limits<std::int64_t>::min()), "-8.0 EiB");
}

TEST(GrowthShade, GreyRedOrGreenByTheChange) {
    EXPECT_EQ(growthShade(100, 100), kUnchangedShade);
    const Shade grew = growthShade(1000, 1001);
    EXPECT_GT(grew.red, grew.green + 30) << "even a tiny growth shows";
    const Shade shrank = growthShade(1000, 999);
    EXPECT_GT(shrank.green, shrank.red + 30);
    // Deeper with the share that changed; a new folder is the deepest.
    EXPECT_LT(growthShade(1000, 2000).green, grew.green);
    EXPECT_LT(growthShade(0, 5).green, growthShade(1000, 2000).green);
    EXPECT_LT(growthShade(5, 0).red, shrank.red);
}

}  // namespace
}  // namespace corvath
