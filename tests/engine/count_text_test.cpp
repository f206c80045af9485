// The count text of the status, grouped in the user's locale.
#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/count_text.h"

namespace corvath {
namespace {

struct Dotted : std::numpunct<char> {
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

TEST(CountText, GroupsInTheGivenLocale) {
    const std::locale dotted(std::locale::classic(), new Dotted);
    EXPECT_EQ(countText(1234567, 1000, dotted), "1.234.567 files, 1.000 folders scanned");
    EXPECT_EQ(countText(0, 999, dotted), "0 files, 999 folders scanned");
    EXPECT_EQ(countText(1234567, 1000, std::locale::classic()), "1234567 files, 1000 folders scanned");
}

TEST(CountText, InvalidLocaleInTheEnvironmentFallsBackToClassic) {
    const char* saved = std::getenv("LC_ALL");
    const std::string previous = saved != nullptr ? saved : "";
    ::setenv("LC_ALL", "xx_NOWHERE.UTF-8", 1);
    const std::locale locale = userLocale();
    if (saved != nullptr) {
        ::setenv("LC_ALL", previous.c_str(), 1);
    } else {
        ::unsetenv("LC_ALL");
    }
    EXPECT_EQ(countText(12345, 6, locale), "12345 files, 6 folders scanned");
}

}  // namespace
}  // namespace corvath
