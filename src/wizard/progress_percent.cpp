#include "wizard/progress_percent.h"

#include <algorithm>
#include <cmath>

namespace corvath {

std::int16_t progressPercent(double part, double whole) {
    if (!(whole > 0.0)) {
        return 0;
    }
    // nearbyint follows the default rounding mode, which rounds ties to even.
    const double rounded = std::nearbyint(part / whole * 100.0);
    if (!(rounded >= 0.0)) {
        return 0;
    }
    return static_cast<std::int16_t>(std::min(rounded, 100.0));
}

int runningBarValue(std::int16_t percent) {
    return std::min<int>(percent, kRunningBarCap);
}

}  // namespace corvath
