#include "engine/folder_excludes.h"

#include "text/ascii_case.h"

namespace corvath {

namespace {

// Trailing spaces go unless the last one is escaped ("a\ " keeps its space).
std::string_view trimTrailingSpaces(std::string_view text) {
    while (!text.empty() && text.back() == ' ') {
        if (text.size() >= 2 && text[text.size() - 2] == '\\') break;
        text.remove_suffix(1);
    }
    return text;
}

std::vector<std::string> splitParts(std::string_view text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('/', start);
        if (end == std::string_view::npos) end = text.size();
        if (end > start) parts.emplace_back(text.substr(start, end - start));  // "a//b" is "a/b"
        start = end + 1;
    }
    return parts;
}

// The bytes of the UTF-8 character at name[at]: "?" and a set stand for one
// character, not one byte.
std::size_t characterLength(std::string_view name, std::size_t at) {
    const auto lead = static_cast<unsigned char>(name[at]);
    std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (at + length > name.size()) length = 1;
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(name[at + i]) & 0xC0) != 0x80) return 1;
    }
    return length;
}

}  // namespace

FolderExcludes::FolderExcludes(const std::vector<std::string>& patterns, bool caseSensitive)
    : caseSensitive_(caseSensitive) {
    for (const std::string& given : patterns) {
        std::string_view text = trimTrailingSpaces(given);
        if (text.empty() || text.front() == '#') continue;  // blank, or a comment as in a .gitignore
        Pattern pattern;
        if (text.front() == '!') {
            pattern.negated = true;
            text.remove_prefix(1);
        }
        while (!text.empty() && text.back() == '/') text.remove_suffix(1);  // folders only: all we leave out
        pattern.anchored = text.find('/') != std::string_view::npos;
        pattern.parts = splitParts(text);
        if (pattern.parts.empty()) continue;  // "/": the root itself is always scanned
        given_.push_back(given);
        anchored_ = anchored_ || pattern.anchored;
        patterns_.push_back(std::move(pattern));
    }
}

bool FolderExcludes::excludes(const std::vector<std::string_view>& parts) const {
    if (parts.empty()) return false;
    // As in a .gitignore, the last pattern that matches has the say.
    for (auto it = patterns_.rbegin(); it != patterns_.rend(); ++it) {
        const bool matched = it->anchored ? matchParts(*it, 0, parts, 0) : matchName(it->parts.front(), parts.back());
        if (matched) return !it->negated;
    }
    return false;
}

bool FolderExcludes::matchParts(const Pattern& pattern, std::size_t at, const std::vector<std::string_view>& path,
                                std::size_t from) const {
    if (at == pattern.parts.size()) return from == path.size();
    if (pattern.parts[at] == "**") {
        // "a/**" is what lies below a, not a itself.
        if (at + 1 == pattern.parts.size()) return from < path.size();
        for (std::size_t next = from; next <= path.size(); ++next) {
            if (matchParts(pattern, at + 1, path, next)) return true;
        }
        return false;
    }
    return from < path.size() && matchName(pattern.parts[at], path[from]) &&
           matchParts(pattern, at + 1, path, from + 1);
}

bool FolderExcludes::sameCharacter(char a, char b) const {
    return caseSensitive_ ? a == b : asciiLower(a) == asciiLower(b);
}

// A set's text after "[" (and "!" or "^"), up to its "]"; npos when it has none,
// and the "[" is then a plain character.
std::size_t FolderExcludes::setEnd(std::string_view glob, std::size_t open) {
    std::size_t at = open + 1;
    if (at < glob.size() && (glob[at] == '!' || glob[at] == '^')) ++at;
    if (at < glob.size() && glob[at] == ']') ++at;  // "[]a]": a "]" first is one of the set
    for (; at < glob.size(); ++at) {
        if (glob[at] == '\\') {
            ++at;
        } else if (glob[at] == ']') {
            return at;
        }
    }
    return std::string_view::npos;
}

bool FolderExcludes::inSet(std::string_view set, std::string_view character) const {
    bool negated = false;
    std::size_t at = 0;
    if (!set.empty() && (set[0] == '!' || set[0] == '^')) {
        negated = true;
        at = 1;
    }
    bool found = false;
    const char c = character.size() == 1 ? character[0] : '\0';
    while (at < set.size()) {
        if (set[at] == '\\' && at + 1 < set.size()) ++at;
        const char low = set[at++];
        if (at + 1 < set.size() && set[at] == '-') {
            const char high = set[at + 1] == '\\' && at + 2 < set.size() ? set[at + 2] : set[at + 1];
            at += set[at + 1] == '\\' ? 3 : 2;
            if (c != '\0') {
                const auto in = [&](char x) { return low <= x && x <= high; };
                found = found || in(c) || (!caseSensitive_ && (in(asciiLower(c)) || in(asciiUpper(c))));
            }
        } else if (c != '\0' && sameCharacter(low, c)) {
            found = true;
        }
    }
    return found != negated;
}

// One item of a glob other than "*" against the character at name[n]; on a
// match both move past it.
bool FolderExcludes::matchOne(std::string_view glob, std::size_t& g, std::string_view name, std::size_t& n) const {
    const std::size_t length = characterLength(name, n);
    if (glob[g] == '?') {
        ++g;
        n += length;
        return true;
    }
    if (glob[g] == '[') {
        if (const std::size_t end = setEnd(glob, g); end != std::string_view::npos) {
            if (!inSet(glob.substr(g + 1, end - g - 1), name.substr(n, length))) return false;
            g = end + 1;
            n += length;
            return true;
        }
    }
    const std::size_t literal = glob[g] == '\\' && g + 1 < glob.size() ? g + 1 : g;
    if (!sameCharacter(glob[literal], name[n])) return false;
    g = literal + 1;
    ++n;
    return true;
}

// One glob against one name: "*" by the usual backtracking to the last star,
// which is exact for globs whose other items each take one character.
bool FolderExcludes::matchName(std::string_view glob, std::string_view name) const {
    std::size_t g = 0, n = 0;
    std::size_t starGlob = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        if (g < glob.size() && glob[g] == '*') {
            while (g < glob.size() && glob[g] == '*') ++g;
            starGlob = g;
            starName = n;
            continue;
        }
        if (g < glob.size() && matchOne(glob, g, name, n)) continue;
        if (starGlob == std::string_view::npos) return false;
        starName += characterLength(name, starName);
        g = starGlob;
        n = starName;
    }
    while (g < glob.size() && glob[g] == '*') ++g;
    return g == glob.size();
}

}  // namespace corvath
