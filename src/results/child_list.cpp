#include "results/child_list.h"

#include <algorithm>

#include "results/results_error.h"

namespace corvath {

namespace {

[[noreturn]] void damaged() { throw ResultsError("the scans database holds a damaged folder list"); }

void appendNumber(std::string& bytes, std::uint64_t value) {
    while (value >= 0x80) {
        bytes.push_back(static_cast<char>(0x80 | (value & 0x7f)));
        value >>= 7;
    }
    bytes.push_back(static_cast<char>(value));
}

// Reads the numbers of bytes from pos on; stops after limit numbers.
std::vector<std::uint64_t> readNumbers(std::string_view bytes, std::size_t& pos, std::size_t limit) {
    std::vector<std::uint64_t> numbers;
    std::uint64_t value = 0;
    unsigned shift = 0;
    while (pos < bytes.size() && numbers.size() < limit) {
        const auto byte = static_cast<unsigned char>(bytes[pos++]);
        if (shift > 63) damaged();
        value |= static_cast<std::uint64_t>(byte & 0x7f) << shift;
        if (byte & 0x80) {
            shift += 7;
            continue;
        }
        numbers.push_back(value);
        value = 0;
        shift = 0;
    }
    if (shift != 0) damaged();
    return numbers;
}

std::vector<std::int64_t> fromSteps(const std::vector<std::uint64_t>& steps) {
    std::vector<std::int64_t> ids;
    std::uint64_t previous = 0;
    for (const std::uint64_t step : steps) {
        previous += step;
        ids.push_back(static_cast<std::int64_t>(previous));
    }
    return ids;
}

}  // namespace

std::string encodeChildren(std::vector<std::int64_t> ids) {
    std::sort(ids.begin(), ids.end());
    std::string bytes;
    std::uint64_t previous = 0;
    for (const std::int64_t id : ids) {
        appendNumber(bytes, static_cast<std::uint64_t>(id) - previous);
        previous = static_cast<std::uint64_t>(id);
    }
    return bytes;
}

std::vector<std::int64_t> decodeChildren(std::string_view bytes) {
    std::size_t pos = 0;
    return fromSteps(readNumbers(bytes, pos, bytes.size()));
}

std::string encodeEdits(std::vector<std::int64_t> removed, std::vector<std::int64_t> added) {
    std::string bytes;
    appendNumber(bytes, removed.size());
    return bytes + encodeChildren(std::move(removed)) + encodeChildren(std::move(added));
}

namespace {

void splitEdits(std::string_view edits, std::vector<std::int64_t>& removed, std::vector<std::int64_t>& added) {
    std::size_t pos = 0;
    const std::vector<std::uint64_t> count = readNumbers(edits, pos, 1);
    if (count.empty()) damaged();
    const std::vector<std::uint64_t> removedSteps = readNumbers(edits, pos, count[0]);
    if (removedSteps.size() != count[0]) damaged();
    removed = fromSteps(removedSteps);
    added = fromSteps(readNumbers(edits, pos, edits.size()));
}

}  // namespace

std::vector<std::int64_t> applyEdits(std::vector<std::int64_t> base, std::string_view edits) {
    std::vector<std::int64_t> removed, added;
    splitEdits(edits, removed, added);
    std::vector<std::int64_t> kept;
    std::set_difference(base.begin(), base.end(), removed.begin(), removed.end(), std::back_inserter(kept));
    std::vector<std::int64_t> result;
    std::merge(kept.begin(), kept.end(), added.begin(), added.end(), std::back_inserter(result));
    return result;
}

std::vector<std::int64_t> addedByEdits(std::string_view edits) {
    std::vector<std::int64_t> removed, added;
    splitEdits(edits, removed, added);
    return added;
}

std::vector<std::int64_t> removedByEdits(std::string_view edits) {
    std::vector<std::int64_t> removed, added;
    splitEdits(edits, removed, added);
    return removed;
}

}  // namespace corvath
