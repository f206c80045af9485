#include "qt/qt_wizard_window.h"

#include "qt/qt_test_app.h"
#include "wizard/recording_events.h"

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

}  // namespace
}  // namespace corvath
