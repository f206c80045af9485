#include "ui/growth_shade.h"

#include <algorithm>
#include <cmath>

namespace corvath {
namespace {

constexpr double kLeastTint = 0.3;

std::uint8_t mix(std::uint8_t from, std::uint8_t to, double amount) {
    return static_cast<std::uint8_t>(std::lround(from + (to - from) * amount));
}

}  // namespace

Shade growthShade(std::uint64_t before, std::uint64_t after) {
    if (before == after) return kUnchangedShade;
    const bool grew = after > before;
    const double change = static_cast<double>(grew ? after - before : before - after);
    const double base = static_cast<double>(std::max(before, after));
    // The square root lifts small shares: a tenth of the size is a third of the way.
    const double amount = kLeastTint + (1.0 - kLeastTint) * std::sqrt(change / base);
    const Shade strong = grew ? Shade{205, 30, 30} : Shade{30, 150, 50};
    return {mix(kUnchangedShade.red, strong.red, amount), mix(kUnchangedShade.green, strong.green, amount),
            mix(kUnchangedShade.blue, strong.blue, amount)};
}

}  // namespace corvath
