#include "wizard/status_text.h"

#include "text/ascii_case.h"

#include <charconv>

namespace corvath {

std::string folderOfStatusField(std::string_view field0) {
    if (field0.empty()) {
        return {};
    }
    std::size_t end = field0.size() - 1;
    // Step back over UTF-8 continuation bytes so no character is cut in half.
    while (end > 0 && (static_cast<unsigned char>(field0[end]) & 0xC0u) == 0x80u) {
        --end;
    }
    return std::string(field0.substr(0, end));
}

std::string countOfStatusField(std::string_view field1) {
    static constexpr std::string_view kWord = "scanned";
    std::string out;
    out.reserve(field1.size());
    std::size_t i = 0;
    while (i < field1.size()) {
        if (startsWithIgnoringCase(field1, i, kWord)) {
            i += kWord.size();
        } else {
            out.push_back(field1[i++]);
        }
    }
    return out;
}

std::optional<std::uint64_t> parseByteCount(std::string_view text) {
    std::uint64_t value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (text.empty() || text.front() < '0' || text.front() > '9') {
        return std::nullopt;
    }
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last) {
        return std::nullopt;
    }
    return value;
}

}  // namespace corvath
