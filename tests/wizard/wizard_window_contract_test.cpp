// What every toolkit's wizard window does, run over the real window of the
// toolkit the test program is built for.
#include "wizard/wizard_window_contract.h"

#include "wizard/recording_events.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <stdexcept>

namespace corvath::test {
namespace {

using namespace std::chrono_literals;

class WizardWindowContract : public ::testing::Test {
protected:
    // Runs events until the recorded calls grow, or half a second has passed:
    // some toolkits click a moment after the key, once the button is drawn pressed.
    void settle(std::size_t before) {
        for (int i = 0; i < 50 && events.calls.size() == before; ++i) driver->runEventsFor(10ms);
    }

    RecordingEvents events;
    std::unique_ptr<WindowDriver> driver = makeWindowDriver(events);
    WizardWindowCore& window = driver->window();
};

TEST_F(WizardWindowContract, LaysOutTheDesignAt96Dpi) {
    ASSERT_EQ(window.twipsPerPixelX(), 15);
    using R = WindowDriver::Rect;
    EXPECT_EQ(driver->clientSize(), (R{0, 0, 431, 338}));
    // Relative to each control's container.
    const std::map<Control, R> local{
        {Control::cmdConfig, {16, 300, 73, 23}},          {Control::cmdNext, {337, 300, 73, 23}},
        {Control::cmdCancel, {259, 300, 73, 23}},         {Control::frmTop, {-6, -8, 585, 65}},
        {Control::lblTitle, {18, 21, 193, 17}},           {Control::lblDesc, {26, 37, 265, 17}},
        {Control::Image1, {-37, -7, 500, 70}},            {Control::frmBar, {-5, 280, 489, 121}},
        {Control::frmDrives, {-8, 32, 448, 300}},         {Control::chkRememberSettings, {24, 230, 240, 13}},
        {Control::txtLoading, {24, 32, 396, 191}},        {Control::lvwDrives, {24, 32, 396, 191}},
        {Control::frmProgress, {-8, 32, 465, 300}},       {Control::chkCloseWhenDone, {21, 223, 310, 17}},
        {Control::pbOverallProgress, {21, 184, 396, 17}}, {Control::pbDiskProgress, {21, 128, 396, 17}},
        {Control::lblDiskCount, {240, 166, 177, 17}},     {Control::lblOverallProgress, {21, 167, 217, 14}},
        {Control::lblDiskProgStatus, {21, 110, 225, 17}}, {Control::lblFileFldCount, {240, 110, 177, 17}},
        {Control::lblFolderName, {21, 72, 396, 13}},      {Control::Label3, {21, 56, 55, 14}},
    };
    for (const ControlDesign& d : kWizardControls) {
        if (d.kind == ControlKind::Timer) continue;
        R expected = local.at(d.name);
        if (d.container != Control::frmWizard) {
            expected.left += local.at(d.container).left;
            expected.top += local.at(d.container).top;
        }
        R actual = driver->rectInWindow(d.name);
        // The banner's texts and the tick boxes may grow, never shrink: a text
        // to the right, a tick box about the middle of its rectangle.
        if ((d.looks & look::kGrowsWithText) != 0) {
            EXPECT_GE(actual.width, expected.width) << static_cast<int>(d.name);
            EXPECT_LE(std::abs((actual.top + actual.height / 2) - (expected.top + expected.height / 2)), 1);
            actual = {actual.left, expected.top, expected.width, expected.height};
        }
        EXPECT_EQ(actual, expected) << "control " << static_cast<int>(d.name);
    }
    // Flush with the bars, at 6135 twips.
    const R count = driver->rectInWindow(Control::lblFileFldCount);
    EXPECT_EQ(count.left + count.width, 409);
}

TEST_F(WizardWindowContract, StartsInItsDesignState) {
    EXPECT_EQ(window.caption(Control::frmWizard), "Corvath Analyzer");
    EXPECT_EQ(window.caption(Control::cmdNext), "Next >");
    EXPECT_EQ(window.caption(Control::lblDesc), "Select drives from the following list, and click on Next >");
    EXPECT_EQ(window.caption(Control::txtLoading), "Loading local disks...please wait...");
    EXPECT_EQ(window.caption(Control::lblDiskProgStatus), "Analyzing drive ");
    EXPECT_FALSE(window.isVisible(Control::cmdConfig));
    EXPECT_TRUE(window.isVisible(Control::frmDrives));
    EXPECT_TRUE(window.isVisible(Control::frmProgress));
    EXPECT_FALSE(window.isEnabled(Control::txtLoading));
    EXPECT_FALSE(window.isEnabled(Control::tmrProgress));
    EXPECT_EQ(window.value(Control::chkRememberSettings), check_state::kUnchecked);
    EXPECT_EQ(window.value(Control::pbDiskProgress), 0);
    EXPECT_EQ(window.driveList().count(), 0);
    EXPECT_TRUE(driver->isBold(Control::lblTitle));
    EXPECT_FALSE(driver->isBold(Control::lblDesc));
    EXPECT_FALSE(driver->onScreen());
    EXPECT_TRUE(events.calls.empty()) << "the window must not run the load handler itself";
}

TEST_F(WizardWindowContract, TickBoxesRunTheirHandlerOnRealChangesOnly) {
    window.setValue(Control::chkRememberSettings, check_state::kChecked);
    window.setValue(Control::chkRememberSettings, check_state::kChecked);
    EXPECT_EQ(events.count("remember"), 1);
    window.setValue(Control::chkCloseWhenDone, check_state::kGrayed);
    EXPECT_EQ(window.value(Control::chkCloseWhenDone), check_state::kGrayed);
    window.setValue(Control::chkCloseWhenDone, 7);  // any other value ticks
    EXPECT_EQ(window.value(Control::chkCloseWhenDone), check_state::kChecked);
    EXPECT_EQ(events.count("closewhendone"), 2);

    // A user's click runs the handler as well, and it sees the new state.
    int seenState = -1;
    events.onCall = [&](const std::string& call) {
        if (call == "remember") seenState = window.value(Control::chkRememberSettings);
    };
    window.show();
    driver->click(Control::chkRememberSettings);
    EXPECT_EQ(events.count("remember"), 2);
    EXPECT_EQ(seenState, check_state::kUnchecked);
}

TEST_F(WizardWindowContract, ButtonsAndAltWithTheirAccessKeysDeliverClicks) {
    window.show();
    driver->click(Control::cmdNext);
    driver->click(Control::cmdCancel);
    EXPECT_EQ(events.calls, (std::vector<std::string>{"next", "cancel"}));

    events.calls.clear();
    for (const char key : {'n', 'c', 'r', 'd'}) {
        const std::size_t before = events.calls.size();
        driver->pressAlt(key);
        settle(before);
    }
    EXPECT_EQ(events.calls, (std::vector<std::string>{"next", "cancel", "remember", "closewhendone"}));
    EXPECT_EQ(window.caption(Control::cmdNext), "Next >");
    EXPECT_EQ(window.value(Control::chkCloseWhenDone), check_state::kChecked);

    // The key of a hidden or disabled control does nothing.
    events.calls.clear();
    window.setVisible(Control::frmProgress, false);
    window.setEnabled(Control::cmdNext, false);
    driver->pressAlt('n');
    driver->pressAlt('d');
    driver->runEventsFor(50ms);
    EXPECT_TRUE(events.calls.empty()) << events.calls.front();
}

TEST_F(WizardWindowContract, UnloadRunsItsHandlerOnceAndTheWindowNeverReturns) {
    bool closed = false;
    window.setOnClosed([&closed] { closed = true; });
    window.show();
    ASSERT_TRUE(driver->onScreen());
    window.unload();
    window.unload();
    EXPECT_EQ(events.calls, (std::vector<std::string>{"unload(code)"}));
    EXPECT_FALSE(window.isLoaded());
    EXPECT_FALSE(driver->onScreen());
    EXPECT_TRUE(closed);

    // Later calls are harmless and change nothing.
    window.show();
    window.setFocus();
    window.setVisible(Control::frmWizard, true);
    window.setCaption(Control::cmdCancel, "Finish");
    window.setValue(Control::chkCloseWhenDone, check_state::kChecked);
    window.setTimerEnabled(true);
    window.setTimerInterval(10);
    driver->runEventsFor(30ms);
    EXPECT_FALSE(driver->onScreen());
    EXPECT_EQ(window.caption(Control::cmdCancel), "Cancel");
    EXPECT_EQ(window.value(Control::chkCloseWhenDone), check_state::kUnchecked);
    EXPECT_FALSE(window.timerRunning());
    driver->pressCloseBox();
    EXPECT_EQ(events.calls.size(), 1U);
}

TEST_F(WizardWindowContract, TheCloseBoxUnloadsWithItsOwnFlag) {
    bool closed = false;
    window.setOnClosed([&closed] { closed = true; });
    window.show();
    window.setTimerEnabled(true);
    window.setTimerInterval(1000);
    driver->pressCloseBox();
    EXPECT_EQ(events.calls, (std::vector<std::string>{"unload(closebox)"}));
    EXPECT_FALSE(driver->onScreen());
    EXPECT_FALSE(window.timerRunning());
    EXPECT_TRUE(closed);
    window.unload();
    EXPECT_EQ(events.calls.size(), 1U);
}

TEST_F(WizardWindowContract, UnloadFromInsideAHandlerIsSafe) {
    bool closed = false;
    window.setOnClosed([&] {
        // Only once the handler that unloaded has returned.
        EXPECT_EQ(events.calls.back(), "unload(code)");
        closed = true;
    });
    events.onCall = [&](const std::string& call) {
        if (call == "cancel") {
            window.unload();
            EXPECT_FALSE(closed);
        }
        if (call.rfind("unload", 0) == 0) window.unload();  // re-entrant: ignored
    };
    window.show();
    driver->click(Control::cmdCancel);
    EXPECT_EQ(events.calls, (std::vector<std::string>{"cancel", "unload(code)"}));
    EXPECT_TRUE(closed);
}

TEST_F(WizardWindowContract, TheTimerTicksOnlyWhileEnabledWithAnInterval) {
    window.setTimerEnabled(true);
    EXPECT_FALSE(window.timerRunning()) << "interval 0 must not tick";
    window.setTimerInterval(5);
    EXPECT_TRUE(window.timerRunning());
    for (int i = 0; i < 500 && events.count("tick") < 3; ++i) driver->runEventsFor(10ms);
    EXPECT_GE(events.count("tick"), 3);
    window.setTimerInterval(0);
    const int ticks = events.count("tick");
    driver->runEventsFor(30ms);
    EXPECT_EQ(events.count("tick"), ticks);
    window.setEnabled(Control::tmrProgress, false);
    window.setTimerInterval(5);
    driver->runEventsFor(30ms);
    EXPECT_EQ(events.count("tick"), ticks);
    EXPECT_FALSE(window.isEnabled(Control::tmrProgress));
}

TEST_F(WizardWindowContract, MovesHidesAndRelabelsControls) {
    window.setLeft(Control::cmdCancel, window.left(Control::cmdNext));
    EXPECT_EQ(window.left(Control::cmdCancel), 5055);
    EXPECT_EQ(driver->rectInWindow(Control::cmdCancel).left, 337);
    window.setVisible(Control::cmdNext, false);
    EXPECT_FALSE(window.isVisible(Control::cmdNext));
    window.setCaption(Control::cmdCancel, "Finish");
    EXPECT_EQ(window.caption(Control::cmdCancel), "Finish");
    EXPECT_EQ(window.width(Control::lblFolderName), 5940);
    window.setValue(Control::pbDiskProgress, 97);
    EXPECT_EQ(window.value(Control::pbDiskProgress), 97);
    window.setValue(Control::pbDiskProgress, -4);  // shown as an empty bar, not ignored
    EXPECT_EQ(window.value(Control::pbDiskProgress), 0);
    window.setValue(Control::pbOverallProgress, 140);
    EXPECT_EQ(window.value(Control::pbOverallProgress), 100);
    // A banner text longer than its laid-out width runs on rather than lose its end.
    const int laidOut = driver->rectInWindow(Control::lblDesc).width;
    window.setCaption(Control::lblDesc, "Corvath is currently analyzing your disk...Please wait...and more");
    EXPECT_GT(driver->rectInWindow(Control::lblDesc).width, laidOut);
    // Visibility is the control's own flag, not whether the window is on screen.
    EXPECT_FALSE(driver->onScreen());
    EXPECT_TRUE(window.isVisible(Control::lblFolderName));
    // The window as a whole moves in twips of the screen.
    window.show();
    window.setLeft(Control::frmWizard, 1500);
    EXPECT_EQ(window.left(Control::frmWizard), 1500);
    EXPECT_GE(window.width(Control::frmWizard), 6465);
}

TEST_F(WizardWindowContract, AHandlersFailureIsShownNotThrownThroughTheToolkit) {
    events.onCall = [](const std::string& call) {
        if (call == "next") throw std::runtime_error("The engine could not start.");
        if (call == "cancel") throw 42;
    };
    std::vector<std::string> shown;
    driver->answerMessageBoxes([&shown](const std::string& text) { shown.push_back(text); });
    window.show();
    driver->click(Control::cmdNext);
    driver->click(Control::cmdCancel);
    EXPECT_EQ(shown, (std::vector<std::string>{"The engine could not start.",
                                               "An unexpected error ended the operation."}));
    EXPECT_TRUE(window.isLoaded());
}

TEST_F(WizardWindowContract, TheFocusPassesOnWhenItsControlIsHiddenOrDisabled) {
    window.show();
    driver->focus(Control::cmdNext);
    ASSERT_EQ(driver->focused(), Control::cmdNext);
    // Lent to the next control in tab order, and taken back if nobody moved it.
    window.setEnabled(Control::cmdNext, false);
    EXPECT_EQ(driver->focused(), Control::cmdCancel);
    window.setEnabled(Control::cmdNext, true);
    EXPECT_EQ(driver->focused(), Control::cmdNext);
    // Hidden, as the done page hides it: Enter and Space still reach a button.
    window.setVisible(Control::cmdNext, false);
    EXPECT_EQ(driver->focused(), Control::cmdCancel);
    // A page hidden with the focus in its list passes it on too, to what
    // follows the page in tab order rather than the list.
    window.setVisible(Control::cmdNext, true);
    driver->focus(Control::lvwDrives);
    window.setVisible(Control::frmDrives, false);
    EXPECT_EQ(driver->focused(), Control::cmdCancel);
    // And a control can be given the focus by name.
    window.setFocus(Control::cmdNext);
    EXPECT_EQ(driver->focused(), Control::cmdNext);
}

}  // namespace
}  // namespace corvath::test
