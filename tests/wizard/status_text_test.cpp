#include "wizard/status_text.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

using Fields = std::vector<std::string>;

TEST(StatusText, SplitsAtEveryBarKeepingEmptyAndExtraFields) {
    EXPECT_EQ(splitStatusText("/a/|1 files scanned"), (Fields{"/a/", "1 files scanned"}));
    EXPECT_EQ(splitStatusText("/a/||x|"), (Fields{"/a/", "", "x", ""}));
    EXPECT_EQ(splitStatusText(""), (Fields{""}));
    EXPECT_EQ(splitStatusText("no bar"), (Fields{"no bar"}));
}

TEST(StatusText, FolderDropsExactlyOneTrailingCharacter) {
    EXPECT_EQ(folderOfStatusField("/home/ana/"), "/home/ana");
    EXPECT_EQ(folderOfStatusField("/"), "");
    EXPECT_EQ(folderOfStatusField(""), "");
    // A trailing multi-byte character goes whole, never half of it.
    EXPECT_EQ(folderOfStatusField("/tmp/caf\xC3\xA9"), "/tmp/caf");
    EXPECT_EQ(folderOfStatusField("/tmp/\xE2\x82\xAC"), "/tmp/");
}

TEST(StatusText, CountLosesEveryScannedInAnyCaseAndNothingElse) {
    EXPECT_EQ(countOfStatusField("1024 folders Scanned"), "1024 folders ");
    EXPECT_EQ(countOfStatusField("12 files, 3 folders scanned"), "12 files, 3 folders ");
    EXPECT_EQ(countOfStatusField("SCANNEDscanned x sCaNnEd"), " x ");
    EXPECT_EQ(countOfStatusField("scanne"), "scanne");
    EXPECT_EQ(countOfStatusField(""), "");
}

TEST(StatusText, ByteCountsArePlainDecimalsWithin64Bits) {
    EXPECT_EQ(parseByteCount("0"), 0u);
    EXPECT_EQ(parseByteCount("18446744073709551615"), 18446744073709551615u);
    EXPECT_EQ(parseByteCount("5368709120"), 5368709120u);
    EXPECT_EQ(parseByteCount("18446744073709551616"), std::nullopt);
    EXPECT_EQ(parseByteCount(""), std::nullopt);
    EXPECT_EQ(parseByteCount("-5"), std::nullopt);
    EXPECT_EQ(parseByteCount("+5"), std::nullopt);
    EXPECT_EQ(parseByteCount(" 5"), std::nullopt);
    EXPECT_EQ(parseByteCount("5 "), std::nullopt);
    EXPECT_EQ(parseByteCount("12a"), std::nullopt);
    EXPECT_EQ(parseByteCount("1.5"), std::nullopt);
}

}  // namespace
}  // namespace corvath
