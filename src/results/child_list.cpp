#include "results/child_list.h"

#include <algorithm>

#include "results/results_error.h"

namespace corvath {

std::string encodeChildren(std::vector<std::int64_t> ids) {
    std::sort(ids.begin(), ids.end());
    std::string bytes;
    std::uint64_t previous = 0;
    for (const std::int64_t id : ids) {
        std::uint64_t step = static_cast<std::uint64_t>(id) - previous;
        previous = static_cast<std::uint64_t>(id);
        while (step >= 0x80) {
            bytes.push_back(static_cast<char>(0x80 | (step & 0x7f)));
            step >>= 7;
        }
        bytes.push_back(static_cast<char>(step));
    }
    return bytes;
}

std::vector<std::int64_t> decodeChildren(std::string_view bytes) {
    std::vector<std::int64_t> ids;
    std::uint64_t previous = 0;
    std::uint64_t step = 0;
    unsigned shift = 0;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (shift > 63) throw ResultsError("the scans database holds a damaged folder list");
        step |= static_cast<std::uint64_t>(byte & 0x7f) << shift;
        if (byte & 0x80) {
            shift += 7;
            continue;
        }
        previous += step;
        ids.push_back(static_cast<std::int64_t>(previous));
        step = 0;
        shift = 0;
    }
    if (shift != 0) throw ResultsError("the scans database holds a damaged folder list");
    return ids;
}

}  // namespace corvath
