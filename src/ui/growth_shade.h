#pragma once

#include <cstdint>

namespace corvath {

struct Shade {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Shade&, const Shade&) = default;
};

// The colour of a block when two scans are compared: grey when it did not
// change, red when it grew and green when it shrank, deeper the larger the
// change is against the block's size. Any change at all is visibly tinted, so
// that a small growth in a large folder is not mistaken for none.
Shade growthShade(std::uint64_t before, std::uint64_t after);

// The grey of an unchanged block.
inline constexpr Shade kUnchangedShade{200, 200, 200};

}  // namespace corvath
