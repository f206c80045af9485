#include "wizard/wizard_harness.h"

namespace corvath::test {
namespace {

class WizardTickTest : public WizardTest {
protected:
    void SetUp() override {
        addDrive("/", 1000);
        addDrive("/empty", 0);
        start();
    }
    struct Display {
        std::string folder, count;
        int disk = -1, overall = -1;
        bool operator==(const Display&) const = default;
    };
    Display display() {
        return {view.caption(Control::lblFolderName), view.caption(Control::lblFileFldCount),
                view.value(Control::pbDiskProgress), view.value(Control::pbOverallProgress)};
    }
};

TEST_F(WizardTickTest, MalformedReportsLeaveTheDisplayAsItWas) {
    std::vector<Display> seen;
    const auto look = [&] { seen.push_back(display()); };
    engine->scripts["/"] = {
        {"/home/|3 files, 1 folders scanned", "400", {}},
        {"no bar at all", "500", look},
        {"|3 files scanned", "500", look},
        {"/home/x/|4 files scanned", "12a", look},
        {"/home/x/|4 files scanned", "-5", look},
        {"/home/x/|4 files scanned", "", look},
        {"/home/x/|4 files scanned", "99999999999999999999999", look},
        {"/home/y/|5 files scanned", "600", look},
        {"/home/z/|6 files scanned", "700", look},
    };

    runWith({"/"});

    const Display first{"/home", "3 files, 1 folders ", 40, 40};
    ASSERT_EQ(seen.size(), 8u);
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(seen[i], first) << "after malformed tick " << i;
    }
    EXPECT_EQ(seen[7], (Display{"/home/y", "5 files ", 60, 60}));
    EXPECT_EQ(state.totals.processedBytes, 700u);
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(WizardTickTest, ADriveWithNoMeasuredUsedBytesShowsZero) {
    engine->scripts["/empty"] = {{"/empty/a/|1 files scanned", "4096", {}}};

    runWith({"/empty"});

    EXPECT_EQ(state.totals.totalUsedBytes, 0u);
    EXPECT_EQ(view.valueHistory[Control::pbDiskProgress], (std::vector<int>{0, 0, 100}));
    EXPECT_EQ(view.valueHistory[Control::pbOverallProgress], (std::vector<int>{0, 0, 100}));
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(view.caption(Control::cmdCancel), "Finish");
}

TEST_F(WizardTickTest, ZeroUsedDriveBesideAnotherStillMovesTheOverallBar) {
    engine->scripts["/empty"] = {{"/empty/|1 files scanned", "10", {}}};
    engine->scripts["/"] = {{"/a/|1 files scanned", "500", {}}};

    runWith({"/", "/empty"});

    // The empty drive's own bar shows 0; the overall bar counts its bytes.
    EXPECT_EQ(view.valueHistory[Control::pbDiskProgress], (std::vector<int>{50, 50, 0, 0, 100}));
    EXPECT_EQ(view.valueHistory[Control::pbOverallProgress], (std::vector<int>{50, 50, 51, 51, 100}));
}

TEST_F(WizardTickTest, ATickAfterAConfirmedCancelStopsTheTimerAndUnloads) {
    engine->scripts["/"] = {{"/a/|1 files scanned", "1", {}}};
    runWith({"/"});
    ASSERT_TRUE(view.isLoaded());
    view.setTimerEnabled(true);
    view.setTimerInterval(100);
    wizard.bCancelled = true;

    wizard.onTimerTick();

    EXPECT_FALSE(view.timerRunning());
    EXPECT_FALSE(view.isLoaded());
}

}  // namespace
}  // namespace corvath::test
