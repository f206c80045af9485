#include "ui/colour_contrast.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace corvath {
namespace {

double linear(std::uint8_t channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double leastContrast(const Shade& colour, std::initializer_list<Shade> backgrounds) {
    double least = std::numeric_limits<double>::max();
    for (const Shade& background : backgrounds) least = std::min(least, contrastRatio(colour, background));
    return least;
}

Shade mixed(const Shade& from, const Shade& to, double amount) {
    const auto mix = [amount](std::uint8_t a, std::uint8_t b) {
        return static_cast<std::uint8_t>(std::lround(a + (b - a) * amount));
    };
    return {mix(from.red, to.red), mix(from.green, to.green), mix(from.blue, to.blue)};
}

}  // namespace

double relativeLuminance(const Shade& colour) {
    return 0.2126 * linear(colour.red) + 0.7152 * linear(colour.green) + 0.0722 * linear(colour.blue);
}

double contrastRatio(const Shade& a, const Shade& b) {
    const double first = relativeLuminance(a);
    const double second = relativeLuminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

Shade readableShade(const Shade& wanted, std::initializer_list<Shade> backgrounds, double minimum) {
    if (backgrounds.size() == 0 || leastContrast(wanted, backgrounds) >= minimum) return wanted;
    constexpr Shade kBlack{0, 0, 0};
    constexpr Shade kWhite{255, 255, 255};
    const Shade toward =
        leastContrast(kBlack, backgrounds) >= leastContrast(kWhite, backgrounds) ? kBlack : kWhite;
    // Small steps rather than halving: a colour on the far side of a background
    // first loses contrast on its way past it.
    constexpr int kSteps = 64;
    for (int step = 1; step < kSteps; ++step) {
        const Shade candidate = mixed(wanted, toward, static_cast<double>(step) / kSteps);
        if (leastContrast(candidate, backgrounds) >= minimum) return candidate;
    }
    return toward;
}

}  // namespace corvath
