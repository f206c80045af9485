#include "ui/centered_placement.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

// The wizard window: 431 × 338 pixels at (100, 50), in twips at 15 per pixel.
constexpr TwipsRect kWizard{1500, 750, 6465, 5070};

TEST(CenteredPlacement, NarrowerBoxIsCentredOnTheWindow) {
    const PixelPoint p = centeredBoxPosition(kWizard, 15, 15, 201, 100);
    EXPECT_EQ(p, (PixelPoint{100 + 115, 50 + 119}));
    // Equal margins left and right (431 - 201 = 230, even).
    EXPECT_EQ(p.x - 100, 100 + 431 - (p.x + 201));
}

TEST(CenteredPlacement, WiderBoxSticksOutOnBothSidesWithTheOddPixelRight) {
    const PixelPoint p = centeredBoxPosition(kWizard, 15, 15, 500, 101);
    // 431 - 500 = -69; halved toward zero gives -34: 34 pixels out on the left,
    // 35 on the right.
    EXPECT_EQ(p.x, 100 - 34);
    EXPECT_EQ((p.x + 500) - (100 + 431), 35);
    EXPECT_EQ(p.y, 50 + (338 - 101) / 2);
}

TEST(CenteredPlacement, WindowPartlyOffTheLeftEdgeIsNotClamped) {
    const TwipsRect offLeft{-3000, 750, 6465, 5070};  // left edge at -200 pixels
    const PixelPoint p = centeredBoxPosition(offLeft, 15, 15, 301, 120);
    EXPECT_EQ(p.x, -200 + 65);
    EXPECT_EQ(p.y, 50 + 109);
    const PixelPoint wide = centeredBoxPosition(offLeft, 15, 15, 601, 120);
    EXPECT_EQ(wide.x, -200 - 85);  // -170 / 2
}

TEST(CenteredPlacement, RoundsEachOperandBeforeDividing) {
    // 1507.5 rounds to 1508 (even), then 1508 / 15 = 100; 6472.5 rounds to 6472 -> 431.
    const TwipsRect fractional{1507.5, 757.5, 6472.5, 5077.5};
    EXPECT_EQ(centeredBoxPosition(fractional, 15, 15, 201, 100), (PixelPoint{215, 169}));
    // Separate factors per axis.
    EXPECT_EQ(centeredBoxPosition({1200, 1200, 2400, 2400}, 12, 10, 100, 100), (PixelPoint{100 + 50, 120 + 70}));
}

}  // namespace
}  // namespace corvath
