// The exclude patterns' syntax, case by case, against folder paths below a root.
#include <gtest/gtest.h>

#include "engine/folder_excludes.h"
#include "text/split.h"

namespace corvath {
namespace {

struct Case {
    std::vector<std::string> patterns;
    const char* path;  // below the root, "/" between the names
    bool leftOut;
    bool caseSensitive = true;
};

TEST(FolderExcludes, SyntaxCases) {
    const std::vector<Case> cases = {
        {{"cache"}, "home/ann/cache", true},  // a name alone: at any depth
        {{"cache"}, "home/cached", false},
        {{"cache/"}, "a/cache", true},  // folders only: all we ever leave out
        {{"/var"}, "srv/var", false},   // a leading slash anchors
        {{"var/tmp"}, "x/var/tmp", false},  // so does one in the middle
        {{"home/*/.cache"}, "home/ann/x/.cache", false},  // * stays within a name
        {{"a*b*c"}, "axxbyybzc", true},  // backtracks past the first b
        {{"?"}, "\xc3\xa9", true},  // one character, not one byte
        {{"**/build"}, "src/x/build", true},
        {{"src/**/gen"}, "src/gen", true},  // zero folders between
        {{"src/**/gen"}, "lib/a/gen", false},
        {{"src/**"}, "src", false},  // what is below, not the folder itself
        {{"/a**z"}, "ab/cz", false},  // ** inside a name is a plain *
        {{"log[!0-9]"}, "logx", true},
        {{"a[b"}, "a[b", true},  // an unclosed [ is plain
        {{"#x"}, "#x", false},  // a comment
        {{"\\#x"}, "#x", true},
        {{"tmp\\ "}, "tmp ", true},
        {{"*.d", "!keep.d"}, "x/keep.d", false},  // the last match decides
        {{"!keep.d", "*.d"}, "keep.d", true},
        {{"/Users/*/AppData"}, "users/ann/appdata", true, false},
        {{"[A-C]x"}, "bx", true, false},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> parts = splitAt(c.path, '/');
        const std::vector<std::string_view> views(parts.begin(), parts.end());
        EXPECT_EQ(FolderExcludes(c.patterns, c.caseSensitive).excludes(views), c.leftOut)
            << c.patterns.front() << " against " << c.path;
    }
    EXPECT_TRUE(FolderExcludes({"", "   ", "/", "#c"}).empty()) << "the root itself is never left out";
    EXPECT_FALSE(FolderExcludes({"cache"}).needsPath()) << "a name alone is matched without the path";
}

}  // namespace
}  // namespace corvath
