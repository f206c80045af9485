#include "wizard/access_key.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

TEST(AccessKey, MarksTheChosenLetterOrTheFirstAndKeepsTheCaptionsOwnAmpersands) {
    EXPECT_EQ(markAccessKey("Next >", 0), "&Next >");
    EXPECT_EQ(markAccessKey("Close this dialog box", 'd'), "Close this &dialog box");
    EXPECT_EQ(markAccessKey("> Go", 0), "> &Go");
    EXPECT_EQ(markAccessKey("Save & close", 0), "&Save && close");
    EXPECT_EQ(markAccessKey("A & B", 'B'), "A && &B");
    // A key the caption lacks marks nothing, rather than another letter.
    EXPECT_EQ(markAccessKey("Cancel", 'z'), "Cancel");
    EXPECT_EQ(markAccessKey("...", 0), "...");
}

}  // namespace
}  // namespace corvath
