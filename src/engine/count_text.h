#pragma once

#include <cstdint>
#include <locale>
#include <string>

namespace corvath {

// How the user writes large numbers: the separator between groups of digits
// (UTF-8, "," or "." or a no-break space) and the group sizes from the right, as
// std::numpunct::grouping gives them (the last size repeats; 0 or CHAR_MAX ends
// the grouping; empty for none).
struct DigitGrouping {
    std::string separator;
    std::string sizes;
};

// The user's grouping, from the system's settings; none when they cannot be read.
DigitGrouping userDigitGrouping();

// A locale's grouping.
DigitGrouping digitGroupingOf(const std::locale& locale);

// Group sizes written as Windows writes them ("3;0" threes, "3;2;0" a three and
// then twos, "3" one three and no more), as DigitGrouping holds them.
std::string groupSizesOfList(const std::string& list);

// The number with its digits grouped: "1,234,567".
std::string groupedNumber(std::uint64_t value, const DigitGrouping& grouping);

// "N files, M folders scanned", the numbers grouped.
std::string countText(std::uint64_t files, std::uint64_t folders, const DigitGrouping& grouping);

}  // namespace corvath
