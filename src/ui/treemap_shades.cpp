#include "ui/treemap_shades.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace corvath {
namespace {

// Soft hues that tell neighbouring branches apart.
constexpr std::array<Shade, 10> kBranchShades{{{0x8f, 0xb8, 0xde},
                                               {0xf2, 0xb8, 0x80},
                                               {0x9c, 0xcc, 0x9c},
                                               {0xe7, 0xa3, 0xa3},
                                               {0xc3, 0xae, 0xd6},
                                               {0xd9, 0xc4, 0x8f},
                                               {0x8f, 0xcf, 0xcf},
                                               {0xf0, 0xa8, 0xcf},
                                               {0xb5, 0xc9, 0x8f},
                                               {0xa9, 0xb8, 0xc9}}};
constexpr Shade kOwnFiles{196, 196, 196};
constexpr Shade kDarkText{20, 20, 20};
constexpr Shade kLightText{250, 250, 250};
constexpr Shade kWhite{255, 255, 255};
constexpr Shade kBlack{0, 0, 0};
// Each level down keeps this much of the colour above and takes the rest from white.
constexpr double kKeptPerLevel = 0.8;

std::uint8_t mixChannel(std::uint8_t from, std::uint8_t to, double amount) {
    return static_cast<std::uint8_t>(std::lround(from + (to - from) * amount));
}

Shade mix(const Shade& from, const Shade& to, double amount) {
    return {mixChannel(from.red, to.red, amount), mixChannel(from.green, to.green, amount),
            mixChannel(from.blue, to.blue, amount)};
}

// WCAG's relative luminance.
double luminance(const Shade& shade) {
    const auto linear = [](std::uint8_t channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(shade.red) + 0.7152 * linear(shade.green) + 0.0722 * linear(shade.blue);
}

double contrast(const Shade& a, const Shade& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace

Shade shadeAtDepth(const Shade& base, int depth) {
    if (depth <= 1) return base;
    return mix(base, kWhite, 1.0 - std::pow(kKeptPerLevel, depth - 1));
}

Shade branchShade(int branch, int depth) {
    const auto index = static_cast<std::size_t>(std::max(branch, 0)) % kBranchShades.size();
    return shadeAtDepth(kBranchShades[index], depth);
}

Shade ownFilesShade(int depth) { return shadeAtDepth(kOwnFiles, depth); }

Shade textShadeOn(const Shade& background) {
    return contrast(background, kDarkText) >= contrast(background, kLightText) ? kDarkText : kLightText;
}

Shade lightEdgeOf(const Shade& base) { return mix(base, kWhite, 0.35); }

Shade darkEdgeOf(const Shade& base) { return mix(base, kBlack, 0.25); }

}  // namespace corvath
