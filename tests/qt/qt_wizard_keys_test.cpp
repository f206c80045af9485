#include "qt/qt_wizard_window.h"

#include "qt/qt_test_app.h"
#include "qt/qt_recording_events.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

namespace corvath {
namespace {

// Enter and Esc click no button unless a button has the focus.
class WizardKeys : public test::QtFixture {
protected:
    void SetUp() override {
        test::qtApp();
        window.setVisible(Control::frmProgress, true);
        window.driveList().addItem("Local Disk (/)");
        window.show();
        QApplication::setActiveWindow(window.window());
    }
    void press(Control focus, Qt::Key key) {
        QWidget* w = window.widget(focus);
        w->setFocus(Qt::OtherFocusReason);
        ASSERT_TRUE(w->hasFocus()) << static_cast<int>(focus);
        QTest::keyClick(w, key);
    }
    test::RecordingEvents events;
    QtWizardWindow window{events};
};

TEST_F(WizardKeys, EnterAndEscClickNothingFromTheListOrACheckBox) {
    for (const Control focus : {Control::lvwDrives, Control::chkRememberSettings, Control::chkCloseWhenDone}) {
        press(focus, Qt::Key_Return);
        press(focus, Qt::Key_Enter);
        press(focus, Qt::Key_Escape);
    }
    EXPECT_TRUE(events.calls.empty()) << events.calls.front();
}

TEST_F(WizardKeys, EscOnAButtonClicksNothing) {
    press(Control::cmdNext, Qt::Key_Escape);
    press(Control::cmdCancel, Qt::Key_Escape);
    EXPECT_TRUE(events.calls.empty());
}

TEST_F(WizardKeys, EnterOnAFocusedButtonClicksThatButton) {
    press(Control::cmdCancel, Qt::Key_Return);
    EXPECT_EQ(events.calls, (std::vector<std::string>{"cancel"}));
    press(Control::cmdNext, Qt::Key_Enter);
    EXPECT_EQ(events.calls, (std::vector<std::string>{"cancel", "next"}));
}

TEST_F(WizardKeys, AltWithTheAccessKeyClicksTheButtonOrTickBoxTheCaptionStaysAsSet) {
    // From the list, which takes typed letters for its own search.
    window.widget(Control::lvwDrives)->setFocus(Qt::OtherFocusReason);
    // A key's click comes a moment later, after the button is drawn pressed.
    const auto alt = [&](Qt::Key key) {
        const std::size_t before = events.calls.size();
        QTest::keyClick(window.window()->focusWidget(), key, Qt::AltModifier);
        (void)QTest::qWaitFor([&] { return events.calls.size() > before; }, 500);
    };
    alt(Qt::Key_N);
    alt(Qt::Key_C);
    alt(Qt::Key_R);
    alt(Qt::Key_D);
    EXPECT_EQ(events.calls, (std::vector<std::string>{"next", "cancel", "remember", "closewhendone"}));
    EXPECT_EQ(window.caption(Control::cmdNext), "Next >");
    EXPECT_EQ(window.caption(Control::chkRememberSettings), "Remember these settings");

    // The key of a hidden or disabled control does nothing.
    events.calls.clear();
    window.setVisible(Control::frmProgress, false);
    window.setEnabled(Control::cmdNext, false);
    alt(Qt::Key_N);
    alt(Qt::Key_D);
    EXPECT_TRUE(events.calls.empty()) << events.calls.front();
}

}  // namespace
}  // namespace corvath
