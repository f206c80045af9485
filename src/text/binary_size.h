#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace corvath {

// A byte count in binary units, as du -h and ncdu show sizes: "512 B",
// "1.5 KiB", "12.0 MiB", "3.2 GiB", up to EiB; one decimal above bytes.
inline std::string binarySize(std::uint64_t bytes) {
    static constexpr const char* kUnits[] = {"KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
    if (bytes < 1024) return std::to_string(bytes) + " B";
    double value = static_cast<double>(bytes) / 1024.0;
    std::size_t unit = 0;
    // Moves up a unit before printing would round to "1024.0".
    while (value >= 1023.95 && unit + 1 < std::size(kUnits)) {
        value /= 1024.0;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
    return text;
}

// A change in bytes with its sign: "+1.5 MiB", "−200 B" (a minus sign, U+2212),
// "0 B" for none.
inline std::string signedBinarySize(std::int64_t change) {
    if (change == 0) return "0 B";
    const std::uint64_t magnitude =
        change > 0 ? static_cast<std::uint64_t>(change) : 0 - static_cast<std::uint64_t>(change);
    return (change > 0 ? "+" : "\u2212") + binarySize(magnitude);
}

}  // namespace corvath
