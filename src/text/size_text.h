#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace corvath {

// Bytes in binary units, as du -h and ncdu count them: "512 B", "4.0 KiB",
// "1.5 GiB", one decimal from KiB up.
inline std::string sizeText(std::uint64_t bytes) {
    static constexpr const char* kUnits[] = {"KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
    if (bytes < 1024) return std::to_string(bytes) + " B";
    double value = static_cast<double>(bytes) / 1024.0;
    std::size_t unit = 0;
    // Rounded to one decimal, 1023.96 KiB would read "1024.0 KiB": go up a unit.
    while (value >= 1023.95 && unit + 1 < std::size(kUnits)) {
        value /= 1024.0;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
    return text;
}

// A change in bytes with its sign: "+50.0 MiB", "-4.0 KiB", "0 B".
inline std::string sizeChangeText(std::int64_t bytes) {
    if (bytes == 0) return "0 B";
    const std::uint64_t magnitude = bytes < 0 ? 0 - static_cast<std::uint64_t>(bytes) : static_cast<std::uint64_t>(bytes);
    return (bytes < 0 ? "-" : "+") + sizeText(magnitude);
}

}  // namespace corvath
