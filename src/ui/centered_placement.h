#pragma once

namespace corvath {

// A window's outer rectangle in twips, screen-relative.
struct TwipsRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

struct PixelPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

// Where a message box of boxWidth × boxHeight pixels goes so that its centre lies
// over the owner window's centre. Integer arithmetic throughout, halvings
// truncating toward zero, so an odd surplus leaves the extra pixel on the right
// and bottom. Not clamped to the screen: an owner past an edge gives a box past it.
PixelPoint centeredBoxPosition(const TwipsRect& owner, double twipsPerPixelX, double twipsPerPixelY,
                               int boxWidth, int boxHeight);

}  // namespace corvath
