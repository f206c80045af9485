#include "wizard/wizard_harness.h"

namespace corvath::test {
namespace {

class WizardStartupTest : public WizardTest {};

TEST_F(WizardStartupTest, ListLoadsBehindTheNoticeWithNextAndRememberDisabled) {
    addDrive("/", 1000);
    addDrive("/data", 2000);
    view.pointer = pointer::kArrow;  // whatever the pointer was before start-up
    bool looked = false;
    volumes.onListing = [&] {
        looked = true;
        EXPECT_FALSE(view.isEnabled(Control::cmdNext));
        EXPECT_FALSE(view.isEnabled(Control::chkRememberSettings));
        EXPECT_TRUE(view.inFront(Control::txtLoading, Control::lvwDrives));
        // Painted, notice in front and both disabled, before the listing, which
        // may wait on a slow drive.
        EXPECT_EQ(view.refreshes, (std::vector<Control>{Control::frmWizard}));
        EXPECT_TRUE(view.discards.empty());
        EXPECT_EQ(view.pointer, pointer::kHourglass);
        EXPECT_TRUE(view.listCheckBoxes);
        EXPECT_GE(view.shown, 1);
        EXPECT_EQ(enginesMade, 0);
    };

    start();

    ASSERT_TRUE(looked);
    EXPECT_TRUE(view.isEnabled(Control::cmdNext));
    EXPECT_TRUE(view.isEnabled(Control::chkRememberSettings));
    EXPECT_TRUE(view.inFront(Control::lvwDrives, Control::txtLoading));
    EXPECT_EQ(view.refreshes, (std::vector<Control>{Control::frmWizard, Control::lvwDrives}));
    // What the user gave meanwhile is dropped once the list is filled, before
    // anything can act on it.
    ASSERT_EQ(view.discards.size(), 1u);
    EXPECT_FALSE(view.discards[0].nextEnabled);
    EXPECT_FALSE(view.discards[0].rememberEnabled);
    EXPECT_EQ(view.discards[0].listedDrives, 2);
    EXPECT_EQ(view.pointer, pointer::kArrow);
    EXPECT_EQ(view.pointerHistory, (std::vector<int>{pointer::kHourglass, pointer::kArrow, pointer::kArrow}));
    EXPECT_EQ(view.list.count(), 2);
    EXPECT_EQ(enginesMade, 1);
    EXPECT_EQ(view.listColumnWidth, 6975 - 1000);
    EXPECT_FALSE(wizard.bCancelled);
    EXPECT_EQ(companion.calls, (std::vector<std::string>{"StartA", "StartB"}));
}

TEST_F(WizardStartupTest, PointerEndsAsItWasEvenWhenItWasTheDefault) {
    addDrive("/", 1000);
    start();
    EXPECT_EQ(view.pointer, pointer::kDefault);
    EXPECT_EQ(view.pointerHistory.back(), pointer::kDefault);
}

TEST_F(WizardStartupTest, LoadShowsTheDrivePageUnderTheBannerAndButtons) {
    addDrive("/", 1000);
    start();
    EXPECT_TRUE(view.isVisible(Control::frmDrives));
    EXPECT_FALSE(view.isVisible(Control::frmProgress));
    const std::vector<Control> front(view.zOrder.end() - 6, view.zOrder.end());
    EXPECT_EQ(front, (std::vector<Control>{Control::frmDrives, Control::frmTop, Control::frmBar, Control::cmdCancel,
                                           Control::cmdNext, Control::cmdConfig}));
    EXPECT_FALSE(view.timerRunning());
    EXPECT_EQ(view.timerCalls, (std::vector<std::string>{"enabled=0", "interval=0"}));
}

TEST_F(WizardStartupTest, RememberOffLeavesTheBoxUntickedAndWritesNothing) {
    addDrive("/", 1000);
    addDrive("/data", 2000);
    setSetting(kSaveAnalyzerSettings, "No");
    setSetting(kSelectedDrives, "/data");

    start();

    EXPECT_EQ(view.value(Control::chkRememberSettings), check_state::kUnchecked);
    EXPECT_FALSE(wizard.isRememberSettings());
    EXPECT_TRUE(store.writes.empty());
    EXPECT_EQ(std::count(store.reads.begin(), store.reads.end(), kSelectedDrives), 0);
    EXPECT_EQ(setting(kSaveAnalyzerSettings), "No");
    // Without a saved selection every fixed drive is ticked.
    EXPECT_EQ(tickedNames(view.list), (std::vector<std::string>{"/", "/data"}));
}

TEST_F(WizardStartupTest, RememberMissingTicksTheBoxStoresYesAndUsesTheSavedSelection) {
    addDrive("/", 1000);
    addDrive("/data", 2000);
    setSetting(kSelectedDrives, "/data");

    start();

    EXPECT_EQ(view.value(Control::chkRememberSettings), check_state::kChecked);
    EXPECT_TRUE(wizard.isRememberSettings());
    EXPECT_TRUE(state.rememberSelection);
    EXPECT_EQ(setting(kSaveAnalyzerSettings), "yes");
    EXPECT_EQ(store.writes, (std::vector<std::string>{"SaveAnalyzerSettings=yes"}));
    EXPECT_EQ(tickedNames(view.list), (std::vector<std::string>{"/data"}));
}

TEST_F(WizardStartupTest, RememberBoxClicksStoreTheirStateAtOnce) {
    addDrive("/", 1000);
    start();
    view.clickCheckBox(Control::chkRememberSettings);
    EXPECT_EQ(setting(kSaveAnalyzerSettings), "no");
    EXPECT_FALSE(wizard.isRememberSettings());
    view.setValue(Control::chkRememberSettings, check_state::kGrayed);
    EXPECT_EQ(setting(kSaveAnalyzerSettings), "yes");
    EXPECT_TRUE(wizard.isRememberSettings());
}

TEST_F(WizardStartupTest, AnEngineThatCannotBeMadeIsReportedAndTheWindowCloses) {
    addDrive("/", 1000);
    Wizard broken(view, store, volumes, state, fileManager,
                  []() -> std::unique_ptr<AnalysisEngine> { throw EngineError("no scanner"); }, &companion);
    view.attach(broken);

    broken.startInteractive();

    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "No scanner");  // as a sentence
    EXPECT_EQ(view.messages[0].title, "Corvath Analyzer");
    EXPECT_FALSE(view.isLoaded());
    EXPECT_EQ(view.pointer, pointer::kDefault);
}

}  // namespace
}  // namespace corvath::test
