#include "text/name_match.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace corvath {
namespace {

struct FoldRun {
    char32_t first;
    char32_t last;
    std::int32_t delta;
    std::uint8_t step;
};

constexpr FoldRun kFoldRuns[] = {
#include "text/case_folding_table.inc"
};

constexpr char32_t kReplacement = 0xFFFD;

// The code point at text[at], or U+FFFD for a byte that starts no well-formed
// sequence (overlong forms, surrogates and values past U+10FFFF included);
// at moves past what was read.
char32_t decode(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at++]);
    if (lead < 0x80) return lead;
    std::size_t length = 0;
    char32_t code = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 1, code = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 2, code = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 3, code = lead & 0x07, least = 0x10000;
    } else {
        return kReplacement;
    }
    if (text.size() - at < length) return kReplacement;
    for (std::size_t i = 0; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) return kReplacement;
        code = (code << 6) | (next & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return kReplacement;
    at += length;
    return code;
}

void encode(char32_t code, std::string& out) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

}  // namespace

char32_t foldCase(char32_t c) {
    if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
    const auto* run = std::upper_bound(std::begin(kFoldRuns), std::end(kFoldRuns), c,
                                       [](char32_t code, const FoldRun& r) { return code < r.first; });
    if (run == std::begin(kFoldRuns)) return c;
    --run;
    if (c > run->last || (c - run->first) % run->step != 0) return c;
    return static_cast<char32_t>(static_cast<std::int64_t>(c) + run->delta);
}

void appendFolded(std::string_view name, std::string& out) {
    for (std::size_t at = 0; at < name.size();) {
        const auto byte = static_cast<unsigned char>(name[at]);
        if (byte < 0x80) {  // most names are mostly ASCII
            out.push_back(static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte));
            ++at;
            continue;
        }
        encode(foldCase(decode(name, at)), out);
    }
}

NameMatcher::NameMatcher(std::string_view text) : text_(text) { appendFolded(text, folded_); }

bool NameMatcher::matches(std::string_view name) const {
    if (folded_.empty()) return true;
    buffer_.clear();
    appendFolded(name, buffer_);
    // Both sides are well-formed UTF-8 now, so a match of bytes is a match of
    // whole characters.
    return buffer_.find(folded_) != std::string::npos;
}

}  // namespace corvath
