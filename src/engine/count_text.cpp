#include "engine/count_text.h"

#include <algorithm>
#include <climits>

namespace corvath {

DigitGrouping digitGroupingOf(const std::locale& locale) {
    const auto& punctuation = std::use_facet<std::numpunct<char>>(locale);
    return DigitGrouping{std::string(1, punctuation.thousands_sep()), punctuation.grouping()};
}

std::string groupSizesOfList(const std::string& list) {
    std::string sizes;
    int size = 0;
    for (const char c : list + ";") {
        if (c >= '0' && c <= '9') {
            size = std::min(size * 10 + (c - '0'), static_cast<int>(CHAR_MAX));
        } else if (c == ';') {
            sizes += static_cast<char>(size);
            size = 0;
        }
    }
    // A closing 0 repeats the size before it, as the last size here does by
    // itself; without one, the grouping stops after the sizes listed.
    if (sizes.size() > 1 && sizes.back() == 0) {
        sizes.pop_back();
    } else if (!sizes.empty() && sizes.back() != 0) {
        sizes += static_cast<char>(CHAR_MAX);
    }
    return sizes;
}

std::string groupedNumber(std::uint64_t value, const DigitGrouping& grouping) {
    const std::string digits = std::to_string(value);
    // Groups are taken from the right; the last size repeats.
    std::string grouped;
    std::size_t left = digits.size();
    std::size_t group = 0;
    while (left > 0) {
        const char size = grouping.sizes.empty() ? 0
                          : group < grouping.sizes.size() ? grouping.sizes[group]
                                                          : grouping.sizes.back();
        if (size <= 0 || size == CHAR_MAX || static_cast<std::size_t>(size) >= left) break;
        left -= static_cast<std::size_t>(size);
        grouped.insert(0, grouping.separator + digits.substr(left, static_cast<std::size_t>(size)));
        ++group;
    }
    return digits.substr(0, left) + grouped;
}

std::string countText(std::uint64_t files, std::uint64_t folders, const DigitGrouping& grouping) {
    return groupedNumber(files, grouping) + " files, " + groupedNumber(folders, grouping) + " folders scanned";
}

}  // namespace corvath
