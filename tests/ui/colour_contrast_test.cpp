// WCAG 2's contrast arithmetic, and the readable colour picked for text over a
// view's rows in light and dark palettes.
#include "ui/colour_contrast.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

constexpr Shade kBlack{0, 0, 0};
constexpr Shade kWhite{255, 255, 255};

TEST(ColourContrast, RatiosMatchWcagsPublishedFigures) {
    struct Case {
        Shade a, b;
        double ratio;
    };
    // The extremes, the grey WCAG's examples give as just passing on white,
    // the Change column's former red and green on white and on a dark row.
    for (const Case& c : {Case{kBlack, kWhite, 21.0}, Case{kWhite, kWhite, 1.0}, Case{{0x76, 0x76, 0x76}, kWhite, 4.54},
                          Case{{170, 20, 20}, kWhite, 7.45}, Case{{20, 120, 40}, kWhite, 5.60},
                          Case{{170, 20, 20}, {35, 38, 41}, 2.04}, Case{{20, 120, 40}, {35, 38, 41}, 2.71}}) {
        EXPECT_NEAR(contrastRatio(c.a, c.b), c.ratio, 0.01);
        EXPECT_DOUBLE_EQ(contrastRatio(c.a, c.b), contrastRatio(c.b, c.a));
    }
    EXPECT_DOUBLE_EQ(relativeLuminance(kBlack), 0.0);
    EXPECT_DOUBLE_EQ(relativeLuminance(kWhite), 1.0);
    // Green weighs most: the same step of green is lighter than of red or blue.
    EXPECT_GT(relativeLuminance({0, 128, 0}), relativeLuminance({128, 0, 0}));
    EXPECT_GT(relativeLuminance({128, 0, 0}), relativeLuminance({0, 0, 128}));
}

TEST(ColourContrast, TheReadableShadeReachesTheRatioOnEveryBackgroundAndKeepsItsHue) {
    const Shade red{170, 20, 20}, green{20, 120, 40};
    // Light rows keep the colour as it is; dark rows (Breeze, Adwaita, a
    // near-black theme) lighten it until it reads.
    EXPECT_EQ(readableShade(red, {kWhite, {247, 247, 247}}), red);
    for (const Shade& dark : {Shade{35, 38, 41}, Shade{45, 45, 45}, Shade{20, 20, 20}}) {
        const Shade alternate{static_cast<std::uint8_t>(dark.red + 10), static_cast<std::uint8_t>(dark.green + 10),
                              static_cast<std::uint8_t>(dark.blue + 10)};
        for (const Shade& wanted : {red, green}) {
            const Shade shown = readableShade(wanted, {dark, alternate});
            EXPECT_GE(contrastRatio(shown, dark), kReadableContrast);
            EXPECT_GE(contrastRatio(shown, alternate), kReadableContrast);
            EXPECT_GT(relativeLuminance(shown), relativeLuminance(wanted));
            // No further than needed: still red or green, not white.
            EXPECT_LT(contrastRatio(shown, dark), 7.0);
        }
        const Shade shownRed = readableShade(red, {dark, alternate});
        const Shade shownGreen = readableShade(green, {dark, alternate});
        EXPECT_GT(shownRed.red, shownRed.green + 40);
        EXPECT_GT(shownGreen.green, shownGreen.red + 40);
    }
    // A pale colour on white darkens; on a mid grey it goes the way that reads.
    EXPECT_GE(contrastRatio(readableShade({255, 200, 200}, {kWhite}), kWhite), kReadableContrast);
    EXPECT_LT(relativeLuminance(readableShade({130, 130, 130}, {{119, 119, 119}})), 0.05);
    // Rows as far apart as black and white: nothing reads on both, so black or white.
    const Shade either = readableShade({200, 30, 30}, {kBlack, kWhite});
    EXPECT_TRUE(either == kBlack || either == kWhite);
    EXPECT_EQ(readableShade(red, {}), red);
}

}  // namespace
}  // namespace corvath
