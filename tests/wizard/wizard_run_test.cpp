#include "wizard/wizard_harness.h"

namespace corvath::test {
namespace {

EngineStep report(const std::string& bytes, const std::string& status = "/data/photos/|12 files, 3 folders scanned",
                  std::function<void()> meanwhile = {}) {
    return EngineStep{status, bytes, std::move(meanwhile)};
}

class WizardRunTest : public WizardTest {
protected:
    std::vector<int> bar(Control control) { return view.valueHistory[control]; }
};

TEST_F(WizardRunTest, OneDriveHidesTheDiskCounterAndTheOverallBar) {
    addDrive("/", 1000);
    addDrive("/data", 2000);
    start();
    engine->scripts["/data"] = {report("500")};

    runWith({"/data"});

    EXPECT_FALSE(view.isVisible(Control::lblDiskCount));
    EXPECT_FALSE(view.isVisible(Control::lblOverallProgress));
    EXPECT_FALSE(view.isVisible(Control::pbOverallProgress));
    EXPECT_TRUE(view.isVisible(Control::pbDiskProgress));
    EXPECT_TRUE(view.isVisible(Control::lblDiskProgStatus));
    EXPECT_EQ(view.caption(Control::lblDiskProgStatus), "Scanning /data");
    EXPECT_EQ(view.caption(Control::lblDiskCount), "Disk 1 of 1");
    EXPECT_EQ(engine->calls.front(), "AnalyzeDrive /data");
}

TEST_F(WizardRunTest, ThreeDrivesAreCountedInTurnAndEndInTheDoneState) {
    addThreeDrives();
    start();
    std::vector<std::string> counters;
    for (const char* drive : {"/", "/data", "/media/usb"}) {
        engine->scripts[drive] = {report("1", "/x/|", [&] {
            counters.push_back(view.caption(Control::lblDiskCount) + ", " + view.caption(Control::lblDiskProgStatus));
            EXPECT_TRUE(view.isVisible(Control::frmProgress));
            EXPECT_FALSE(view.isVisible(Control::frmDrives));
            EXPECT_EQ(view.caption(Control::lblTitle), "Analyzing...");
            EXPECT_EQ(view.caption(Control::lblDesc), "Corvath is currently analyzing your disk...Please wait...");
            EXPECT_EQ(view.caption(Control::cmdCancel), "Cancel");
            EXPECT_TRUE(view.timerRunning());
        })};
    }

    runWith({"/", "/data", "/media/usb"});

    EXPECT_EQ(counters, (std::vector<std::string>{"Disk 1 of 3, Scanning /", "Disk 2 of 3, Scanning /data",
                                                  "Disk 3 of 3, Scanning /media/usb"}));
    EXPECT_TRUE(view.isVisible(Control::lblDiskCount));
    EXPECT_TRUE(view.isVisible(Control::pbOverallProgress));
    EXPECT_EQ(engine->count("FinishDrive"), 3);
    EXPECT_EQ(view.caption(Control::lblTitle), "Analyzing...Done");
    EXPECT_EQ(view.caption(Control::lblDesc), "Corvath has finished analyzing your disk.");
    EXPECT_EQ(view.caption(Control::cmdCancel), "Finish");
    EXPECT_EQ(view.focusedControls, (std::vector<Control>{Control::cmdCancel}));
    EXPECT_FALSE(view.isVisible(Control::cmdNext));
    EXPECT_EQ(view.left(Control::cmdCancel), view.left(Control::cmdNext));
    EXPECT_EQ(view.value(Control::pbDiskProgress), 100);
    EXPECT_EQ(view.value(Control::pbOverallProgress), 100);
    EXPECT_FALSE(view.timerRunning());
    EXPECT_FALSE(view.controls[Control::lblFolderName].wordWrap);
    EXPECT_TRUE(view.isLoaded());
    EXPECT_TRUE(view.messages.empty());
    EXPECT_TRUE(fileManager.opened.empty());
}

TEST_F(WizardRunTest, BarsStayAtOrBelow97UntilTheFinishSets100) {
    addDrive("/", 1000);
    addDrive("/data", 1000);
    start();
    engine->scripts["/"] = {report("960"), report("990"), report("5000")};
    engine->scripts["/data"] = {report("1000"), report("999999999999")};

    runWith({"/", "/data"});

    // Each drive's end reads its count once more before the finish sets 100.
    EXPECT_EQ(bar(Control::pbDiskProgress), (std::vector<int>{96, 97, 97, 97, 97, 97, 97, 100}));
    EXPECT_EQ(bar(Control::pbOverallProgress), (std::vector<int>{48, 50, 97, 97, 97, 97, 97, 100}));
    EXPECT_EQ(wizard.lastDiskPercent(), 100);  // clamped, where 16 bits would have overflowed
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(WizardRunTest, HalfwayPercentagesRoundToEven) {
    addDrive("/", 1000);
    start();
    std::vector<int> percents;
    const auto keep = [&] { percents.push_back(wizard.lastDiskPercent()); };
    engine->scripts["/"] = {report("975"), report("965", "/a/|", keep), report("1", "/a/|", keep)};

    runWith({"/"});

    EXPECT_EQ(percents, (std::vector<int>{98, 96}));
    EXPECT_EQ(bar(Control::pbDiskProgress), (std::vector<int>{97, 96, 0, 0, 100}));
}

TEST_F(WizardRunTest, OverallBarWeighsEachDriveByItsUsedBytes) {
    addThreeDrives();
    start();
    engine->scripts["/"] = {report("300000")};
    engine->scripts["/data"] = {report("50000")};

    runWith({"/", "/data", "/media/usb"});

    EXPECT_EQ(state.totals.totalUsedBytes, 1000000u);
    // The tick and the end of the first drive, then the tick of the second.
    EXPECT_EQ(bar(Control::pbOverallProgress).at(1), 30);
    EXPECT_EQ(bar(Control::pbDiskProgress).at(2), 25);
    EXPECT_EQ(bar(Control::pbOverallProgress).at(2), 35);
}

TEST_F(WizardRunTest, EachDriveEndsWithItsFinalCountEvenWithoutATick) {
    addThreeDrives();
    start();
    // The first scan is polled once and goes on past that tick; the others end
    // before any tick.
    engine->scripts["/"] = {report("100")};
    const std::vector<std::pair<std::string, std::string>> finals{{"250", "/|40 files, 9 folders scanned"},
                                                                  {"70", "/data/|3 files, 1 folders scanned"},
                                                                  {"5", "/media/usb/|1 files, 0 folders scanned"}};
    std::size_t ended = 0;
    engine->duringAnalysis = [&] {
        const auto final = finals.at(ended++);
        engine->bytesSource = [final] { return final.first; };
        engine->statusSource = [final] { return final.second; };
    };
    std::vector<std::uint64_t> completed;
    std::vector<std::string> counts;
    engine->duringFinish = [&] {
        completed.push_back(state.totals.completedBytes);
        counts.push_back(view.caption(Control::lblFileFldCount));
    };

    runWith({"/", "/data", "/media/usb"});

    EXPECT_EQ(counts, (std::vector<std::string>{"40 files, 9 folders ", "3 files, 1 folders ", "1 files, 0 folders "}));
    EXPECT_EQ(completed, (std::vector<std::uint64_t>{0, 250, 320}));
    EXPECT_EQ(state.totals.completedBytes, 325u);
    EXPECT_EQ(view.caption(Control::lblTitle), "Analyzing...Done");
    EXPECT_EQ(view.caption(Control::lblFileFldCount), "1 files, 0 folders ");
}

TEST_F(WizardRunTest, StatusTextFillsTheFolderAndCountLabels) {
    addDrive("/", 1000);
    start();
    engine->scripts["/"] = {report("10", "/home/ana/Música/|1.024 files, 7 folders Scanned|extra")};
    engine->duringFinish = [&] {
        EXPECT_EQ(view.caption(Control::lblFolderName), "/home/ana/Música");
        EXPECT_EQ(view.caption(Control::lblFileFldCount), "1.024 files, 7 folders ");
        EXPECT_EQ(view.lastCompactWidth, 5940 / 15);
        EXPECT_EQ(wizard.lastStatusFields().size(), 3u);
    };

    runWith({"/"});
    EXPECT_EQ(engine->count("FinishDrive"), 1);
}

TEST_F(WizardRunTest, RememberedSelectionIsSavedWhenTheRunStarts) {
    addThreeDrives();
    start();
    ASSERT_TRUE(wizard.isRememberSettings());

    runWith({"/", "/media/usb"});
    EXPECT_EQ(setting(kSelectedDrives), "/\t/media/usb");
}

TEST_F(WizardRunTest, SelectionIsNotSavedWhenNotRemembering) {
    addThreeDrives();
    setSetting(kSaveAnalyzerSettings, "no");
    start();

    runWith({"/data"});
    EXPECT_EQ(setting(kSelectedDrives), std::nullopt);
    EXPECT_EQ(engine->count("FinishDrive"), 1);
}

TEST_F(WizardRunTest, CloseWhenDoneInCapitalsTicksTheBoxStoresYesAndClosesAtTheFinish) {
    addDrive("/", 1000);
    setSetting(kCloseWhenDone, "YES");
    start();
    bool tickedDuringRun = false;
    engine->scripts["/"] = {report("1", "/a/|", [&] {
        tickedDuringRun = view.value(Control::chkCloseWhenDone) == check_state::kChecked;
    })};

    runWith({"/"});

    EXPECT_TRUE(tickedDuringRun);
    EXPECT_EQ(setting(kCloseWhenDone), "yes");
    EXPECT_FALSE(view.isLoaded());
    EXPECT_EQ(view.caption(Control::cmdCancel), "Finish");
}

TEST_F(WizardRunTest, NextWithNothingTickedOnlyUpdatesTheCloseBox) {
    addDrive("/", 1000);
    start();
    setSetting(kCloseWhenDone, "Yes");
    const auto controlsBefore = view.controls;
    const auto zOrderBefore = view.zOrder;
    const auto timerBefore = view.timerCalls;

    runWith({});

    auto controlsAfter = view.controls;
    EXPECT_EQ(controlsAfter[Control::chkCloseWhenDone].value, check_state::kChecked);
    EXPECT_TRUE(wizard.isCloseWhenDone());
    EXPECT_EQ(setting(kCloseWhenDone), "yes");
    controlsAfter[Control::chkCloseWhenDone].value = controlsBefore.at(Control::chkCloseWhenDone).value;
    controlsAfter[Control::lblFolderName].wordWrap = controlsBefore.at(Control::lblFolderName).wordWrap;
    EXPECT_TRUE(controlsAfter == controlsBefore);
    EXPECT_EQ(view.zOrder, zOrderBefore);
    EXPECT_EQ(view.timerCalls, timerBefore);
    EXPECT_TRUE(view.messages.empty());
    EXPECT_TRUE(engine->calls.empty());

    // Unticking the stored value shows on the next click; the drive page stays.
    setSetting(kCloseWhenDone, "no");
    runWith({});
    EXPECT_EQ(view.value(Control::chkCloseWhenDone), check_state::kUnchecked);
    EXPECT_TRUE(view.isVisible(Control::frmDrives));
}

TEST_F(WizardRunTest, EveryTickedDriveUnreadableKeepsTheDrivePage) {
    addDrive("/", 1000);
    addDrive("/mnt/stale", 1000);
    start();
    volumes.drives[1].probe = ProbeOutcome::Inaccessible;

    runWith({"/mnt/stale"});

    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].style, msgbox::kIconInformation);
    EXPECT_EQ(view.messages[0].title, "Corvath Analyzer");
    EXPECT_TRUE(view.isVisible(Control::frmDrives));
    EXPECT_TRUE(view.isVisible(Control::cmdNext));
    EXPECT_TRUE(engine->calls.empty());
    EXPECT_EQ(state.totals.totalUsedBytes, 0u);
}

TEST_F(WizardRunTest, CloseBoxTickedDuringTheRunClosesTheWindowAtTheFinish) {
    addDrive("/", 1000);
    start();
    engine->scripts["/"] = {report("1", "/a/|", [&] { view.clickCheckBox(Control::chkCloseWhenDone); })};

    runWith({"/"});

    EXPECT_EQ(setting(kCloseWhenDone), "yes");
    EXPECT_FALSE(view.isLoaded());
}

TEST_F(WizardRunTest, CloseBoxUntickedDuringTheRunIsStoredAtOnceAndKeepsTheWindow) {
    addDrive("/", 1000);
    setSetting(kCloseWhenDone, "yes");
    start();
    engine->scripts["/"] = {report("1", "/a/|", [&] {
        view.clickCheckBox(Control::chkCloseWhenDone);
        EXPECT_EQ(setting(kCloseWhenDone), "no");
    })};

    runWith({"/"});
    EXPECT_TRUE(view.isLoaded());
}

TEST_F(WizardRunTest, FinishClosesTheWindowWithoutAQuestion) {
    addDrive("/", 1000);
    start();
    runWith({"/"});
    ASSERT_TRUE(view.isLoaded());

    wizard.onCancelClick();

    EXPECT_FALSE(view.isLoaded());
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(engine->count("CancelAnalysis"), 0);
    EXPECT_EQ(companion.calls, (std::vector<std::string>{"StartA", "StartB", "EndA", "EndB"}));
}

TEST_F(WizardRunTest, CompletedRunOpensTheFileManagerOnTheFirstDriveWhenConfigured) {
    addThreeDrives();
    setSetting(kStartExplorer, "1");
    start();
    runWith({"/data", "/media/usb"});
    EXPECT_EQ(fileManager.opened, (std::vector<std::string>{"/data/"}));
}

}  // namespace
}  // namespace corvath::test
