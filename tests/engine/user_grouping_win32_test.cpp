// The counts grouped as the user's regional settings say, on Windows.
#include <gtest/gtest.h>

#include <string>

#include <windows.h>

#include "engine/count_text.h"

namespace corvath {
namespace {

std::wstring userValue(LCTYPE type) {
    wchar_t value[16] = {};
    const int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, value, 16);
    return length > 0 ? std::wstring(value, static_cast<std::size_t>(length - 1)) : std::wstring();
}

// The user's own separator and sizes, set as the Control Panel sets them, and
// put back afterwards.
class UserGrouping : public ::testing::Test {
protected:
    void SetUp() override {
        separator_ = userValue(LOCALE_STHOUSAND);
        sizes_ = userValue(LOCALE_SGROUPING);
        ASSERT_FALSE(separator_.empty());
        ASSERT_FALSE(sizes_.empty());
    }
    void TearDown() override {
        SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator_.c_str());
        SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SGROUPING, sizes_.c_str());
    }
    static void set(const wchar_t* separator, const wchar_t* sizes) {
        ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator));
        ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SGROUPING, sizes));
    }

private:
    std::wstring separator_, sizes_;
};

TEST_F(UserGrouping, CountsFollowTheUsersSeparatorAndSizes) {
    set(L"\u00a0", L"3;2;0");
    EXPECT_EQ(countText(1234567, 2718, userDigitGrouping()),
              "12\xc2\xa0" "34\xc2\xa0" "567 files, 2\xc2\xa0" "718 folders scanned");

    set(L".", L"3;0");
    EXPECT_EQ(countText(39766, 2718, userDigitGrouping()), "39.766 files, 2.718 folders scanned");
}

}  // namespace
}  // namespace corvath
