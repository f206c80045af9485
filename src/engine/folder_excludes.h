// Folders left out of a scan, named by patterns in gitignore's syntax. Only
// folders are ever left out (only folders are entered), so a trailing "/" is
// taken and changes nothing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvath {

// - a pattern with a "/" at its start or in its middle is anchored: it is
//   matched against the folder's whole path below the scan's root ("/var/tmp",
//   "home/*/cache");
// - one without is matched against the folder's name at any depth ("node_modules");
// - "*" matches any run of characters but "/", "?" one character but "/",
//   "[a-z]" / "[!a-z]" one character of (or not of) a set;
// - "**" as a whole part: "**/x" is x at any depth, "a/**/b" is b anywhere
//   below a (a/b included), "a/**" everything below a (not a itself); elsewhere
//   it is "*";
// - "\" makes the next character plain; blank patterns are ignored, as are
//   trailing spaces not so escaped, and "#..." (a comment, as in a .gitignore);
// - "!" first takes a folder back in that an earlier pattern left out; the
//   last pattern that matches has the say. A folder below one left out is
//   never seen, so it cannot be taken back.
// Without caseSensitive (Windows' filesystems), ASCII letters match either case.
class FolderExcludes {
public:
    FolderExcludes() = default;
    explicit FolderExcludes(const std::vector<std::string>& patterns, bool caseSensitive = true);

    bool empty() const { return patterns_.empty(); }
    // True when some pattern needs the folder's whole path, not only its name.
    bool needsPath() const { return anchored_; }
    // The patterns as given, blank ones and comments left out: what a scan records.
    const std::vector<std::string>& patterns() const { return given_; }

    // parts: the folder's path below the root, one name per part (its own name
    // last). True when the folder is left out.
    bool excludes(const std::vector<std::string_view>& parts) const;

private:
    struct Pattern {
        std::vector<std::string> parts;  // "**" parts kept as they are
        bool anchored = false;
        bool negated = false;
    };
    bool matchParts(const Pattern& pattern, std::size_t at, const std::vector<std::string_view>& path,
                    std::size_t from) const;
    bool matchName(std::string_view glob, std::string_view name) const;
    bool matchOne(std::string_view glob, std::size_t& g, std::string_view name, std::size_t& n) const;
    bool inSet(std::string_view set, std::string_view character) const;
    static std::size_t setEnd(std::string_view glob, std::size_t open);
    bool sameCharacter(char a, char b) const;

    std::vector<Pattern> patterns_;
    std::vector<std::string> given_;
    bool anchored_ = false;
    bool caseSensitive_ = true;
};

// Both walkers' platforms: Windows names compare without regard to case.
#ifdef _WIN32
inline constexpr bool kNamesCaseSensitive = false;
#else
inline constexpr bool kNamesCaseSensitive = true;
#endif

}  // namespace corvath
