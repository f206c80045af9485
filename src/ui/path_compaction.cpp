#include "ui/path_compaction.h"

#include <cstddef>
#include <vector>

namespace corvath {
namespace {

const std::string kEllipsis = "...";

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0U) == 0x80U;
}

// Offsets at which a character starts, plus the end of the text.
std::vector<std::size_t> characterBoundaries(const std::string& text) {
    std::vector<std::size_t> bounds;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!isContinuationByte(text[i])) bounds.push_back(i);
    }
    bounds.push_back(text.size());
    return bounds;
}

// The largest index i into bounds for which fits(i) holds, given that fits is
// true for small indexes and false for large ones; -1 when it holds for none.
template <typename Fits>
long largestFitting(std::size_t count, Fits fits) {
    long lo = 0;
    long hi = static_cast<long>(count) - 1;
    long best = -1;
    while (lo <= hi) {
        const long mid = lo + (hi - lo) / 2;
        if (fits(static_cast<std::size_t>(mid))) {
            best = mid;
            lo = mid + 1;
        } else {
            hi = mid - 1;
        }
    }
    return best;
}

std::string longestFittingPrefixOf(const std::string& text, int widthPixels, const TextWidth& measure) {
    const auto bounds = characterBoundaries(text);
    const long best = largestFitting(bounds.size(), [&](std::size_t i) {
        return measure(text.substr(0, bounds[i])) <= widthPixels;
    });
    return best < 0 ? std::string() : text.substr(0, bounds[static_cast<std::size_t>(best)]);
}

}  // namespace

std::string compactPath(const std::string& text, int widthPixels, const TextWidth& measure, char separator) {
    if (measure(text) <= widthPixels) return text;

    const std::size_t lastSeparator = text.rfind(separator);
    if (lastSeparator == std::string::npos) {
        const auto bounds = characterBoundaries(text);
        const long best = largestFitting(bounds.size(), [&](std::size_t i) {
            return measure(text.substr(0, bounds[i]) + kEllipsis) <= widthPixels;
        });
        if (best >= 0) return text.substr(0, bounds[static_cast<std::size_t>(best)]) + kEllipsis;
        return longestFittingPrefixOf(kEllipsis, widthPixels, measure);
    }

    const std::string head = text.substr(0, lastSeparator);
    const std::string tail = text.substr(lastSeparator);
    if (measure(kEllipsis + tail) <= widthPixels) {
        const auto bounds = characterBoundaries(head);
        const long best = largestFitting(bounds.size(), [&](std::size_t i) {
            return measure(head.substr(0, bounds[i]) + kEllipsis + tail) <= widthPixels;
        });
        // best is at least 0 here: the empty head fits.
        return head.substr(0, bounds[static_cast<std::size_t>(best)]) + kEllipsis + tail;
    }

    // Not even "..." and the tail fit: keep the longest end of the tail that does.
    const auto bounds = characterBoundaries(tail);
    std::size_t firstKept = bounds.size();
    long lo = 0;
    long hi = static_cast<long>(bounds.size()) - 1;
    while (lo <= hi) {  // the smallest start index whose suffix fits behind "..."
        const long mid = lo + (hi - lo) / 2;
        if (measure(kEllipsis + tail.substr(bounds[static_cast<std::size_t>(mid)])) <= widthPixels) {
            firstKept = static_cast<std::size_t>(mid);
            hi = mid - 1;
        } else {
            lo = mid + 1;
        }
    }
    if (firstKept < bounds.size()) return kEllipsis + tail.substr(bounds[firstKept]);
    return longestFittingPrefixOf(kEllipsis, widthPixels, measure);
}

}  // namespace corvath
