#include "wizard/wizard_harness.h"

namespace corvath::test {
namespace {

constexpr const char* kQuestion = "Are you sure you want to cancel the Corvath Analyzer process?";

class WizardCancelTest : public WizardTest {
protected:
    void SetUp() override {
        addDrive("/", 1000);
        start();
    }
};

TEST_F(WizardCancelTest, DrivePageCancelAnsweredNoChangesNothing) {
    view.answers = {msgbox::kNo};
    wizard.onCancelClick();

    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, kQuestion);
    EXPECT_EQ(view.messages[0].style, msgbox::kYesNo);
    EXPECT_EQ(view.messages[0].title, "Corvath Analyzer");
    EXPECT_TRUE(view.isLoaded());
    EXPECT_FALSE(wizard.bCancelled);
    EXPECT_EQ(engine->count("CancelAnalysis"), 0);
    EXPECT_EQ(companion.calls.size(), 2u);
}

TEST_F(WizardCancelTest, DrivePageCancelAnsweredYesClosesAndEndsTheCompanionOnce) {
    view.answers = {msgbox::kYes};
    wizard.onCancelClick();

    EXPECT_TRUE(wizard.bCancelled);
    EXPECT_FALSE(view.isLoaded());
    EXPECT_EQ(engine->count("CancelAnalysis"), 1);
    EXPECT_EQ(engine->count("AnalyzeDrive /"), 0);
    EXPECT_EQ(companion.calls, (std::vector<std::string>{"StartA", "StartB", "EndA", "EndB"}));

    // Further unloads, by code or by the unload handler itself, end nothing more.
    view.unload();
    wizard.onUnload(false);
    wizard.onUnload(true);
    EXPECT_EQ(companion.calls.size(), 4u);
    EXPECT_EQ(view.unloads, 1);

    // A window touched again after the cancel does not come back.
    wizard.onLoad();
    EXPECT_FALSE(view.isVisible(Control::frmProgress));
    EXPECT_EQ(view.messages.size(), 1u);
}

TEST_F(WizardCancelTest, CloseBoxOnTheDrivePageJustUnloads) {
    view.closeBox();
    EXPECT_FALSE(view.isLoaded());
    EXPECT_FALSE(wizard.bCancelled);
    EXPECT_EQ(engine->count("CancelAnalysis"), 0);
    EXPECT_EQ(companion.calls, (std::vector<std::string>{"StartA", "StartB", "EndA", "EndB"}));
    EXPECT_TRUE(view.messages.empty());
}

TEST(WizardWithoutCompanion, StartsAndClosesWithNoCompanion) {
    FakeRegistryStore store;
    ListingVolumeLayer volumes;
    volumes.add("/");
    RunState state;
    RecordingFileManager fileManager;
    FakeWizardView view;
    Wizard wizard(view, store, volumes, state, fileManager, [] { return std::make_unique<FakeEngine>(); }, nullptr);
    view.attach(wizard);

    wizard.startInteractive();
    ASSERT_TRUE(view.isEnabled(Control::cmdNext));
    view.answers = {msgbox::kYes};
    wizard.onCancelClick();

    EXPECT_FALSE(view.isLoaded());
    EXPECT_TRUE(wizard.bCancelled);
}

TEST_F(WizardCancelTest, AFailedCancelIsReportedAndStopsTheTimer) {
    engine->failing = "CancelAnalysis";
    view.setTimerEnabled(true);
    view.setTimerInterval(100);
    view.answers = {msgbox::kYes};

    wizard.onCancelClick();

    ASSERT_EQ(view.messages.size(), 2u);
    EXPECT_EQ(view.messages[1].text, "CancelAnalysis failed: the drive went away");
    EXPECT_EQ(view.messages[1].title, "Corvath Analyzer");
    EXPECT_FALSE(view.timerRunning());
    EXPECT_TRUE(wizard.bCancelled);
}

}  // namespace
}  // namespace corvath::test
