// The exclude patterns' syntax, case by case, against folder paths below a root.
#include <gtest/gtest.h>

#include "engine/folder_excludes.h"
#include "text/split.h"

namespace corvath {
namespace {

// "a/b/c" as the parts the walk hands over.
bool leftOut(const std::vector<std::string>& patterns, std::string_view path, bool caseSensitive = true) {
    const std::vector<std::string> parts = splitAt(path, '/');
    const std::vector<std::string_view> views(parts.begin(), parts.end());
    return FolderExcludes(patterns, caseSensitive).excludes(views);
}

TEST(FolderExcludes, NameWithoutSlashMatchesAtAnyDepthAndAnchoredOnlyFromTheRoot) {
    EXPECT_TRUE(leftOut({"cache"}, "cache"));
    EXPECT_TRUE(leftOut({"cache"}, "home/ann/cache"));
    EXPECT_FALSE(leftOut({"cache"}, "home/cached"));
    EXPECT_TRUE(leftOut({"cache/"}, "a/cache")) << "the trailing slash keeps its meaning of folders only";
    EXPECT_TRUE(leftOut({"/var"}, "var"));
    EXPECT_FALSE(leftOut({"/var"}, "srv/var")) << "a leading slash anchors";
    EXPECT_TRUE(leftOut({"var/tmp"}, "var/tmp"));
    EXPECT_FALSE(leftOut({"var/tmp"}, "x/var/tmp")) << "a slash in the middle anchors too";
    EXPECT_FALSE(leftOut({"var/tmp"}, "var")) << "nor does it leave out the folder above";
    EXPECT_TRUE(leftOut({"var//tmp/"}, "var/tmp"));
}

TEST(FolderExcludes, StarAndQuestionMarkStayWithinOneName) {
    EXPECT_TRUE(leftOut({"*.d"}, "etc/conf.d"));
    EXPECT_TRUE(leftOut({"home/*/.cache"}, "home/ann/.cache"));
    EXPECT_FALSE(leftOut({"home/*/.cache"}, "home/ann/x/.cache")) << "* does not cross a slash";
    EXPECT_FALSE(leftOut({"home/*"}, "home")) << "* under home is not home";
    EXPECT_TRUE(leftOut({"a*b*c"}, "axxbyybzc")) << "backtracks past an early b";
    EXPECT_FALSE(leftOut({"a*b*c"}, "axxbyyz"));
    EXPECT_TRUE(leftOut({"v?"}, "v1"));
    EXPECT_FALSE(leftOut({"v?"}, "v"));
    EXPECT_FALSE(leftOut({"v?"}, "v12"));
    EXPECT_TRUE(leftOut({"?"}, "\xc3\xa9")) << "? is one character, not one byte";
    EXPECT_TRUE(leftOut({"*\xc3\xa9"}, "caf\xc3\xa9"));
}

TEST(FolderExcludes, DoubleStarCrossesFolders) {
    EXPECT_TRUE(leftOut({"**/build"}, "build"));
    EXPECT_TRUE(leftOut({"**/build"}, "src/x/build"));
    EXPECT_TRUE(leftOut({"src/**/gen"}, "src/gen")) << "/**/ is zero folders too";
    EXPECT_TRUE(leftOut({"src/**/gen"}, "src/a/b/gen"));
    EXPECT_FALSE(leftOut({"src/**/gen"}, "lib/a/gen"));
    EXPECT_TRUE(leftOut({"src/**"}, "src/a"));
    EXPECT_TRUE(leftOut({"src/**"}, "src/a/b"));
    EXPECT_FALSE(leftOut({"src/**"}, "src")) << "what lies below, not the folder itself";
    EXPECT_TRUE(leftOut({"a**z"}, "abcz")) << "** inside a name is a plain *";
    EXPECT_FALSE(leftOut({"/a**z"}, "ab/cz"));
}

TEST(FolderExcludes, SetsEscapesNegationAndWhatIsIgnored) {
    EXPECT_TRUE(leftOut({"log[0-9]"}, "log7"));
    EXPECT_FALSE(leftOut({"log[0-9]"}, "logx"));
    EXPECT_TRUE(leftOut({"log[!0-9]"}, "logx"));
    EXPECT_TRUE(leftOut({"[]x]"}, "]"));
    EXPECT_TRUE(leftOut({"a[b"}, "a[b")) << "an unclosed [ is plain";
    EXPECT_TRUE(leftOut({"\\*"}, "*"));
    EXPECT_FALSE(leftOut({"\\*"}, "x"));
    EXPECT_TRUE(leftOut({"\\#x"}, "#x"));
    EXPECT_FALSE(leftOut({"#x"}, "#x")) << "a comment, as in a .gitignore";
    EXPECT_TRUE(leftOut({"tmp   "}, "tmp")) << "trailing spaces go";
    EXPECT_TRUE(leftOut({"tmp\\ "}, "tmp ")) << "unless escaped";
    EXPECT_TRUE(leftOut({"*.d", "!keep.d"}, "a.d"));
    EXPECT_FALSE(leftOut({"*.d", "!keep.d"}, "x/keep.d")) << "the last pattern that matches decides";
    EXPECT_TRUE(leftOut({"!keep.d", "*.d"}, "keep.d"));

    const FolderExcludes blank({"", "   ", "/", "#c"});
    EXPECT_TRUE(blank.empty()) << "nothing there leaves anything out, the root least of all";
    const FolderExcludes named({"cache", "/var"});
    EXPECT_TRUE(named.needsPath());
    EXPECT_EQ(named.patterns(), (std::vector<std::string>{"cache", "/var"}));
    EXPECT_FALSE(FolderExcludes({"cache"}).needsPath()) << "a name alone is matched without the path";
}

TEST(FolderExcludes, CaseFoldsOnlyWhereNamesDo) {
    EXPECT_FALSE(leftOut({"Cache"}, "cache"));
    EXPECT_TRUE(leftOut({"Cache"}, "CACHE", false));
    EXPECT_TRUE(leftOut({"/Users/*/AppData"}, "users/ann/appdata", false));
    EXPECT_TRUE(leftOut({"[A-C]x"}, "bx", false));
}

}  // namespace
}  // namespace corvath
