#pragma once

#include <initializer_list>

#include "ui/growth_shade.h"

namespace corvath {

// How light a colour looks: WCAG 2's relative luminance, 0 for black to 1 for white.
double relativeLuminance(const Shade& colour);

// WCAG 2's contrast ratio of two colours, from 1 (the same) to 21 (black on
// white); 4.5 is the least that normal text needs.
double contrastRatio(const Shade& a, const Shade& b);

inline constexpr double kReadableContrast = 4.5;

// The colour to draw wanted in over each of the backgrounds (a view's rows and
// its alternate rows): wanted itself when it stands out from all of them by at
// least minimum, else wanted mixed with black or white (whichever stands out
// more from the backgrounds) no further than needed, so that its hue still
// reads. Black or white itself when even that is not enough.
Shade readableShade(const Shade& wanted, std::initializer_list<Shade> backgrounds,
                    double minimum = kReadableContrast);

}  // namespace corvath
