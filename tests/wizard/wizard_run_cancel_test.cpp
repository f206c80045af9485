#include "wizard/wizard_harness.h"

namespace corvath::test {
namespace {

EngineStep report(const std::string& bytes, std::function<void()> meanwhile = {}) {
    return EngineStep{"/srv/|5 files, 1 folders scanned", bytes, std::move(meanwhile)};
}

class WizardRunCancelTest : public WizardTest {
protected:
    void SetUp() override {
        addThreeDrives();
        setSetting(kStartExplorer, "1");
        start();
    }
    void clickCancel(int answer) {
        view.answers.push_back(answer);
        wizard.onCancelClick();
    }
};

TEST_F(WizardRunCancelTest, CancelAnsweredNoGoesOnAnsweredYesStopsAtTheNextTestPoint) {
    engine->scripts["/"] = {report("100", [&] { clickCancel(msgbox::kNo); }), report("200"),
                            report("300",
                                   [&] {
                                       clickCancel(msgbox::kYes);
                                       // Stopped by the click itself, not later by the run.
                                       EXPECT_FALSE(view.timerRunning());
                                       EXPECT_FALSE(view.isLoaded());
                                   }),
                            report("400")};

    runWith({"/", "/data", "/media/usb"});

    ASSERT_EQ(view.messages.size(), 2u);
    EXPECT_EQ(view.messages[1].style, msgbox::kYesNo);
    // The ticks after the No kept the display going.
    EXPECT_EQ(state.totals.processedBytes, 200u);
    EXPECT_TRUE(wizard.bCancelled);
    EXPECT_EQ(engine->count("CancelAnalysis"), 1);
    EXPECT_EQ(engine->count("FinishDrive"), 0);
    EXPECT_EQ(engine->count("AnalyzeDrive /data"), 0);
    EXPECT_FALSE(view.isLoaded());
    EXPECT_FALSE(view.timerRunning());
    EXPECT_NE(view.caption(Control::lblTitle), "Analyzing...Done");
    EXPECT_TRUE(fileManager.opened.empty());
    EXPECT_EQ(companion.calls, (std::vector<std::string>{"StartA", "StartB", "EndA", "EndB"}));
}

TEST_F(WizardRunCancelTest, TicksGoOnWhileTheQuestionIsOpen) {
    engine->scripts["/"] = {report("30000"), report("150000", [&] { clickCancel(msgbox::kNo); })};
    view.whileMessageOpen = [&](const Message&) { engine->tick(); };

    runWith({"/", "/data", "/media/usb"});

    // The tick inside the question already showed the new count.
    // Three ticks, and one read at the end of each of the three drives.
    EXPECT_EQ(engine->count("GetStatusText"), 6);
    EXPECT_EQ(view.valueHistory[Control::pbDiskProgress].at(0), 10);
    EXPECT_EQ(view.valueHistory[Control::pbDiskProgress].at(1), 50);
    EXPECT_EQ(engine->count("FinishDrive"), 3);
}

TEST_F(WizardRunCancelTest, CancelBetweenDrivesStopsBeforeTheNextDrive) {
    engine->duringFinish = [&] {
        if (engine->count("FinishDrive") == 1) {
            clickCancel(msgbox::kYes);
        }
    };

    runWith({"/", "/data", "/media/usb"});

    EXPECT_EQ(engine->count("AnalyzeDrive /"), 1);
    EXPECT_EQ(engine->count("AnalyzeDrive /data"), 0);
    EXPECT_FALSE(view.isLoaded());
    EXPECT_TRUE(fileManager.opened.empty());
}

TEST_F(WizardRunCancelTest, CancelDuringTheLastFinishStillOpensTheFileManager) {
    engine->duringFinish = [&] {
        if (engine->count("FinishDrive") == 2) {
            clickCancel(msgbox::kYes);
        }
    };

    runWith({"/data", "/media/usb"});

    EXPECT_EQ(engine->count("FinishDrive"), 2);
    EXPECT_FALSE(view.isLoaded());
    EXPECT_EQ(view.unloads, 1);
    EXPECT_EQ(view.value(Control::pbDiskProgress), 100);
    EXPECT_EQ(fileManager.opened, (std::vector<std::string>{"/data/"}));
}

TEST_F(WizardRunCancelTest, ClosingTheWindowMidRunEndsTheRunWithoutAQuestion) {
    engine->scripts["/data"] = {report("100"), report("200", [&] { view.closeBox(); }), report("300")};

    runWith({"/", "/data", "/media/usb"});

    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(engine->count("CancelAnalysis"), 1);
    EXPECT_EQ(engine->count("FinishDrive"), 1);
    EXPECT_EQ(engine->count("AnalyzeDrive /media/usb"), 0);
    EXPECT_EQ(state.totals.processedBytes, 100u);
    EXPECT_FALSE(view.timerRunning());
    EXPECT_FALSE(view.isLoaded());
    EXPECT_EQ(view.unloads, 1);
    EXPECT_TRUE(fileManager.opened.empty());
    EXPECT_EQ(companion.calls, (std::vector<std::string>{"StartA", "StartB", "EndA", "EndB"}));
}

TEST_F(WizardRunCancelTest, AFailedAnalysisIsReportedAndClosesTheWindow) {
    engine->failing = "AnalyzeDrive";

    runWith({"/", "/data"});

    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "AnalyzeDrive failed: the drive went away");
    EXPECT_EQ(view.messages[0].title, "Corvath Analyzer");
    EXPECT_FALSE(view.timerRunning());
    EXPECT_FALSE(view.isLoaded());
    EXPECT_TRUE(wizard.engineFailed());
    EXPECT_EQ(engine->count("FinishDrive"), 0);
    EXPECT_EQ(engine->count("AnalyzeDrive /data"), 0);
    EXPECT_NE(view.caption(Control::cmdCancel), "Finish");
    EXPECT_TRUE(fileManager.opened.empty());
}

TEST_F(WizardRunCancelTest, AFailedFinishIsReportedAndClosesTheWindow) {
    engine->failing = "FinishDrive";

    runWith({"/", "/data"});

    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "FinishDrive failed: the drive went away");
    EXPECT_FALSE(view.timerRunning());
    EXPECT_FALSE(view.isLoaded());
    EXPECT_TRUE(wizard.engineFailed());
    EXPECT_EQ(engine->count("AnalyzeDrive /data"), 0);
    EXPECT_TRUE(fileManager.opened.empty());
}

TEST_F(WizardRunCancelTest, AFailedPollIsReportedOnceStopsTheScanAndClosesTheWindow) {
    engine->scripts["/"] = {report("100"), report("200")};
    engine->scripts["/data"] = {report("300")};
    engine->failing = "GetStatusText";

    runWith({"/", "/data"});

    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "GetStatusText failed: the drive went away");
    EXPECT_EQ(engine->count("GetStatusText"), 1);
    EXPECT_EQ(engine->count("CancelAnalysis"), 1);
    EXPECT_EQ(engine->count("FinishDrive"), 0);
    EXPECT_EQ(engine->count("AnalyzeDrive /data"), 0);
    EXPECT_FALSE(view.isLoaded());
    EXPECT_TRUE(wizard.engineFailed());
    EXPECT_EQ(view.unloads, 1);
}

}  // namespace
}  // namespace corvath::test
