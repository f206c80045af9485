#include "ui/twips.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace corvath {

int roundHalfEven(double value) {
    if (std::isnan(value)) return 0;
    constexpr double kMin = std::numeric_limits<int>::min();
    constexpr double kMax = std::numeric_limits<int>::max();
    if (value <= kMin) return std::numeric_limits<int>::min();
    if (value >= kMax) return std::numeric_limits<int>::max();
    // nearbyint follows the current rounding mode; make sure it is to-nearest-even.
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(saved);
    return static_cast<int>(rounded);
}

double twipsPerPixelAt(double dpi) { return dpi > 0 ? 1440.0 / dpi : 15.0; }

int twipsToPixels(double twips, double twipsPerPixel) {
    const int value = roundHalfEven(twips);
    int factor = roundHalfEven(twipsPerPixel);
    if (factor < 1) factor = 1;
    return value / factor;
}

}  // namespace corvath
