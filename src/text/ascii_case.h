#pragma once

#include <cstddef>
#include <string_view>

namespace corvath {

// Fixed words, setting texts and drive names compare without regard to case.
// Every word the program compares against is plain ASCII, so only A-Z fold;
// other bytes (parts of UTF-8 names) compare as they are.
inline char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline char asciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

inline bool startsWithIgnoringCase(std::string_view text, std::size_t at, std::string_view word) {
    if (at > text.size() || text.size() - at < word.size()) {
        return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (asciiLower(text[at + i]) != asciiLower(word[i])) {
            return false;
        }
    }
    return true;
}

inline bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && startsWithIgnoringCase(a, 0, b);
}

inline bool containsIgnoringCase(std::string_view text, std::string_view word) {
    for (std::size_t at = 0; at + word.size() <= text.size(); ++at) {
        if (startsWithIgnoringCase(text, at, word)) {
            return true;
        }
    }
    return false;
}

}  // namespace corvath
