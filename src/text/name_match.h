#pragma once

#include <string>
#include <string_view>

namespace corvath {

// The code point that c folds to by Unicode's simple case folding (one code
// point to one, as Qt's case-insensitive search folds); c itself if none.
char32_t foldCase(char32_t c);

// Appends name to out, read as UTF-8 with every code point case-folded. A byte
// that is not part of well-formed UTF-8 becomes U+FFFD, as the window shows it,
// so that the rest of a name in another encoding still folds and matches.
void appendFolded(std::string_view name, std::string& out);

// Whether a folder's name holds a text, without regard to case. Names are raw
// bytes; both are read as UTF-8 and folded, so "Ä" finds "ä" and "report"
// finds "Report" in a name whose other bytes are not UTF-8.
class NameMatcher {
public:
    explicit NameMatcher(std::string_view text);
    bool empty() const { return folded_.empty(); }
    const std::string& text() const { return text_; }
    // Not to be shared between threads: it folds into a buffer of its own.
    bool matches(std::string_view name) const;

private:
    std::string text_;
    std::string folded_;
    mutable std::string buffer_;
};

}  // namespace corvath
