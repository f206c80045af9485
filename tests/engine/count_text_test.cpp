// The count text of the status, grouped as the user writes numbers.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

#include "engine/count_text.h"

namespace corvath {
namespace {

struct Dotted : std::numpunct<char> {
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

TEST(CountText, GroupsAsTheLocaleDoes) {
    const DigitGrouping dotted = digitGroupingOf(std::locale(std::locale::classic(), new Dotted));
    EXPECT_EQ(countText(1234567, 1000, dotted), "1.234.567 files, 1.000 folders scanned");
    EXPECT_EQ(countText(0, 999, dotted), "0 files, 999 folders scanned");
    EXPECT_EQ(countText(1234567, 1000, digitGroupingOf(std::locale::classic())), "1234567 files, 1000 folders scanned");
    EXPECT_EQ(countText(1234567, 1000, DigitGrouping{}), "1234567 files, 1000 folders scanned");
}

// Windows' regional settings: sizes that change and stop, and separators of
// more than one byte in UTF-8 (a no-break space).
TEST(CountText, GroupsAsWindowsListsTheSizes) {
    EXPECT_EQ(groupSizesOfList("3;0"), "\3");
    EXPECT_EQ(groupSizesOfList("3;2;0"), std::string("\3\2"));
    EXPECT_EQ(groupSizesOfList("3"), std::string("\3") + char(CHAR_MAX));
    EXPECT_EQ(groupedNumber(1234567890, {",", groupSizesOfList("3;2;0")}), "1,23,45,67,890");
    EXPECT_EQ(groupedNumber(1234567890, {",", groupSizesOfList("3")}), "1234567,890");
    EXPECT_EQ(groupedNumber(1234567890, {",", groupSizesOfList("3;2")}), "12345,67,890");
    EXPECT_EQ(groupedNumber(1234567890, {",", groupSizesOfList("0")}), "1234567890");
    EXPECT_EQ(groupedNumber(39766, {"\xc2\xa0", groupSizesOfList("3;0")}), "39\xc2\xa0" "766");
    EXPECT_EQ(groupedNumber(100, {".", "\3"}), "100");
    EXPECT_EQ(groupedNumber(18446744073709551615ull, {"'", "\3"}), "18'446'744'073'709'551'615");
}

TEST(CountText, InvalidLocaleInTheEnvironmentGroupsNothing) {
    const char* saved = std::getenv("LC_ALL");
    const std::string previous = saved != nullptr ? saved : "";
    ::setenv("LC_ALL", "xx_NOWHERE.UTF-8", 1);
    const DigitGrouping grouping = userDigitGrouping();
    if (saved != nullptr) {
        ::setenv("LC_ALL", previous.c_str(), 1);
    } else {
        ::unsetenv("LC_ALL");
    }
    EXPECT_EQ(countText(12345, 6, grouping), "12345 files, 6 folders scanned");
}

}  // namespace
}  // namespace corvath
