#include "qt/qt_wizard_window.h"

#include "qt/qt_test_app.h"
#include "qt/qt_configure_window.h"
#include "qt/qt_recording_events.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <map>
#include <stdexcept>

namespace corvath {
namespace {

using test::RecordingEvents;

class WizardWindow : public test::QtFixture {
protected:
    void SetUp() override { test::qtApp(); }
    QRect rectInWindow(Control c) const {
        const QWidget* w = window.widget(c);
        return QRect(w->mapTo(window.window(), QPoint(0, 0)), w->size());
    }
    // The drive page as the load handler leaves it.
    void showDrivePage() {
        window.setVisible(Control::frmDrives, true);
        for (Control c : {Control::frmDrives, Control::frmTop, Control::frmBar, Control::cmdCancel, Control::cmdNext,
                          Control::cmdConfig}) {
            window.bringToFront(c);
        }
        window.setVisible(Control::frmProgress, false);
    }
    RecordingEvents events;
    QtWizardWindow window{events};
};

TEST_F(WizardWindow, ControlsSitWhereTheLayoutPutsThemAt96Dpi) {
    ASSERT_EQ(window.twipsPerPixelX(), 15);
    EXPECT_EQ(window.window()->size(), QSize(431, 338));
    EXPECT_EQ(window.window()->minimumSize(), window.window()->maximumSize());

    // Relative to each control's container.
    const std::map<Control, QRect> local{
        {Control::cmdConfig, {16, 300, 73, 23}},        {Control::cmdNext, {337, 300, 73, 23}},
        {Control::cmdCancel, {259, 300, 73, 23}},       {Control::frmTop, {-6, -8, 585, 65}},
        {Control::lblTitle, {18, 21, 193, 17}},         {Control::lblDesc, {26, 37, 265, 17}},
        {Control::Image1, {-37, -7, 500, 70}},          {Control::frmBar, {-5, 280, 489, 121}},
        {Control::frmDrives, {-8, 32, 448, 300}},       {Control::chkRememberSettings, {24, 230, 240, 13}},
        {Control::txtLoading, {24, 32, 396, 191}},      {Control::lvwDrives, {24, 32, 396, 191}},
        {Control::frmProgress, {-8, 32, 465, 300}},     {Control::chkCloseWhenDone, {21, 223, 310, 17}},
        {Control::pbOverallProgress, {21, 184, 396, 17}}, {Control::pbDiskProgress, {21, 128, 396, 17}},
        {Control::lblDiskCount, {240, 166, 177, 17}},   {Control::lblOverallProgress, {21, 167, 217, 14}},
        {Control::lblDiskProgStatus, {21, 110, 225, 17}}, {Control::lblFileFldCount, {240, 110, 177, 17}},
        {Control::lblFolderName, {21, 72, 396, 13}},    {Control::Label3, {21, 56, 55, 14}},
    };
    for (const auto& [control, rect] : local) {
        QRect actual = window.widget(control)->geometry();
        // Banner texts may run on to the right when the font is wider than designed.
        if (control == Control::lblTitle || control == Control::lblDesc) {
            EXPECT_GE(actual.width(), rect.width());
            actual.setWidth(rect.width());
        }
        // Tick boxes draw whole, growing about the middle of their rectangle.
        if (control == Control::chkRememberSettings || control == Control::chkCloseWhenDone) {
            EXPECT_TRUE(actual.contains(rect)) << "control " << static_cast<int>(control);
            actual = rect;
        }
        EXPECT_EQ(actual, rect) << "control " << static_cast<int>(control);
    }

    // The same places in window coordinates.
    EXPECT_EQ(rectInWindow(Control::frmTop), QRect(QPoint(-6, -8), QPoint(578, 56)));
    EXPECT_EQ(rectInWindow(Control::Image1), QRect(QPoint(-43, -15), QPoint(456, 54)));
    EXPECT_EQ(rectInWindow(Control::lblTitle).topLeft(), QPoint(12, 13));
    EXPECT_EQ(rectInWindow(Control::lblDesc).topLeft(), QPoint(20, 29));
    EXPECT_EQ(rectInWindow(Control::lvwDrives), QRect(QPoint(16, 64), QPoint(411, 254)));
    EXPECT_EQ(rectInWindow(Control::chkRememberSettings).left(), 16);
    EXPECT_LE(std::abs(rectInWindow(Control::chkRememberSettings).center().y() - 268), 1);
    EXPECT_EQ(rectInWindow(Control::frmBar).top(), 280);
    EXPECT_EQ(rectInWindow(Control::Label3).top(), 88);
    EXPECT_EQ(rectInWindow(Control::lblFolderName), QRect(QPoint(13, 104), QPoint(408, 116)));
    EXPECT_EQ(rectInWindow(Control::pbDiskProgress), QRect(QPoint(13, 160), QPoint(408, 176)));
    EXPECT_EQ(rectInWindow(Control::pbOverallProgress).top(), 216);
    EXPECT_LE(std::abs(rectInWindow(Control::chkCloseWhenDone).center().y() - 263), 1);
    EXPECT_EQ(rectInWindow(Control::lblFileFldCount).right() + 1, 409);  // 6135 twips, flush with the bars
    EXPECT_EQ(rectInWindow(Control::pbDiskProgress).right() + 1, 409);
}

TEST_F(WizardWindow, LoadingNoticeAndListCoverTheSamePixels) {
    EXPECT_EQ(rectInWindow(Control::txtLoading), rectInWindow(Control::lvwDrives));
    EXPECT_EQ(window.widget(Control::txtLoading)->parentWidget(), window.widget(Control::lvwDrives)->parentWidget());
    showDrivePage();
    window.show();
    const QPoint middle = rectInWindow(Control::lvwDrives).center();
    const auto frontAt = [&](QPoint p) {
        QWidget* w = window.window()->childAt(p);
        while (w != nullptr && w != window.widget(Control::lvwDrives) && w != window.widget(Control::txtLoading)) {
            w = w->parentWidget();
        }
        return w;
    };
    window.bringToFront(Control::txtLoading);
    EXPECT_EQ(frontAt(middle), window.widget(Control::txtLoading));
    window.sendToBack(Control::txtLoading);
    EXPECT_EQ(frontAt(middle), window.widget(Control::lvwDrives));
}

TEST_F(WizardWindow, StartsInItsDesignState) {
    EXPECT_EQ(window.caption(Control::frmWizard), "Corvath Analyzer");
    EXPECT_EQ(window.caption(Control::cmdNext), "Next >");
    EXPECT_EQ(window.caption(Control::cmdCancel), "Cancel");
    EXPECT_EQ(window.caption(Control::lblTitle), "Select drives to analyze");
    EXPECT_EQ(window.caption(Control::lblDesc), "Select drives from the following list, and click on Next >");
    EXPECT_EQ(window.caption(Control::txtLoading), "Loading local disks...please wait...");
    EXPECT_EQ(window.caption(Control::lblDiskProgStatus), "Analyzing drive ");
    EXPECT_EQ(window.caption(Control::Label3), "Analyzing");
    EXPECT_EQ(window.caption(Control::chkCloseWhenDone), "Close this dialog box when disk analysis is complete");
    EXPECT_FALSE(window.isVisible(Control::cmdConfig));
    EXPECT_TRUE(window.isVisible(Control::frmDrives));
    EXPECT_TRUE(window.isVisible(Control::frmProgress));
    EXPECT_FALSE(window.isEnabled(Control::txtLoading));
    EXPECT_FALSE(window.isEnabled(Control::tmrProgress));
    EXPECT_EQ(window.value(Control::chkRememberSettings), 0);
    EXPECT_EQ(window.value(Control::chkCloseWhenDone), 0);
    EXPECT_EQ(window.value(Control::pbDiskProgress), 0);
    EXPECT_EQ(window.driveList().count(), 0);
    EXPECT_TRUE(static_cast<QLabel*>(window.widget(Control::lblTitle))->font().bold());
    EXPECT_FALSE(static_cast<QLabel*>(window.widget(Control::lblDesc))->font().bold());
    EXPECT_FALSE(window.window()->windowIcon().isNull());
    EXPECT_EQ(static_cast<QLabel*>(window.widget(Control::Image1))->pixmap().size(), QSize(500, 70));
    EXPECT_FALSE(window.window()->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window.window()->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(events.calls.empty()) << "the window must not run the load handler itself";
}

TEST_F(WizardWindow, EveryCaptionFitsItsControl) {
    window.setCaption(Control::lblTitle, "Analyzing...Done");
    for (const Control c : {Control::lblTitle, Control::lblDesc, Control::lblOverallProgress, Control::Label3,
                            Control::lblDiskProgStatus}) {
        auto* label = static_cast<QLabel*>(window.widget(c));
        EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width())
            << label->text().toStdString();
    }
    for (const std::string& text : {std::string("Corvath is currently analyzing your disk...Please wait..."),
                                    std::string("Corvath has finished analyzing your disk.")}) {
        window.setCaption(Control::lblDesc, text);
        auto* label = static_cast<QLabel*>(window.widget(Control::lblDesc));
        EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width()) << text;
        EXPECT_LE(label->mapTo(window.window(), QPoint(label->width(), 0)).x(), 431) << text;
    }
    for (const Control c : {Control::chkRememberSettings, Control::chkCloseWhenDone}) {
        QWidget* w = window.widget(c);
        EXPECT_LE(w->sizeHint().width(), w->width()) << static_cast<int>(c);
    }
    for (const Control c : {Control::cmdNext, Control::cmdCancel}) {
        auto* button = static_cast<QPushButton*>(window.widget(c));
        EXPECT_LE(QFontMetrics(button->font()).horizontalAdvance(button->text()) + 12, button->width());
    }
}

TEST_F(WizardWindow, TabOrderFollowsTheTabIndexes) {
    QWidget* w = window.widget(Control::cmdNext);
    const std::vector<Control> expected{Control::cmdCancel, Control::lvwDrives, Control::chkCloseWhenDone,
                                        Control::cmdConfig, Control::chkRememberSettings};
    std::vector<QWidget*> seen;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        w = w->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus || !w->isEnabled()) w = w->nextInFocusChain();
        seen.push_back(w);
    }
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(seen[i], window.widget(expected[i])) << i;
}

TEST_F(WizardWindow, LongDriveNamesKeepTheColumnAsLaidOutAndShowWholeInTheTooltip) {
    auto* list = static_cast<QTreeWidget*>(window.widget(Control::lvwDrives));
    const int laidOut = list->columnWidth(0);
    ASSERT_EQ(laidOut, 96);
    const std::string longName = "RAM Disk (/tmp/many/volume_with_a_fairly_long_name_17)";
    window.driveList().addItem("Local Disk (/)");
    window.driveList().addItem(longName);
    window.show();
    QApplication::processEvents();
    EXPECT_EQ(list->columnWidth(0), laidOut);
    EXPECT_EQ(list->topLevelItem(0)->toolTip(0), "Local Disk (/)");
    EXPECT_EQ(list->topLevelItem(1)->toolTip(0).toStdString(), longName);
}

TEST(WizardWindowLook, BannerTextsStayDarkOnTheWhiteBannerUnderADarkPalette) {
    test::qtApp();
    const QPalette desktop = QApplication::palette();
    QPalette dark = desktop;
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        dark.setColor(group, QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
        dark.setColor(group, QPalette::WindowText, Qt::white);
    }
    RecordingEvents events;
    // Dark before the window is made, and a theme changed while it is open.
    QApplication::setPalette(dark);
    QtWizardWindow before(events);
    QApplication::setPalette(desktop);
    QtWizardWindow during(events);
    QApplication::setPalette(dark);
    QApplication::processEvents();
    for (const QtWizardWindow* w : {&before, &during}) {
        EXPECT_EQ(w->widget(Control::frmTop)->palette().color(QPalette::Window), QColor(Qt::white));
        for (const Control c : {Control::lblTitle, Control::lblDesc}) {
            for (const auto group : {QPalette::Active, QPalette::Inactive}) {
                EXPECT_LT(w->widget(c)->palette().color(group, QPalette::WindowText).lightness(), 64)
                    << static_cast<int>(c);
            }
        }
    }
    // The rest of the window follows the desktop.
    EXPECT_EQ(during.widget(Control::lblOverallProgress)->palette().color(QPalette::WindowText), QColor(Qt::white));
    QApplication::setPalette(desktop);
}

TEST_F(WizardWindow, CheckBoxHandlersRunOnRealChangesOnly) {
    window.setValue(Control::chkRememberSettings, 1);
    EXPECT_EQ(events.count("remember"), 1);
    EXPECT_EQ(window.value(Control::chkRememberSettings), 1);
    window.setValue(Control::chkRememberSettings, 1);
    EXPECT_EQ(events.count("remember"), 1);
    window.setValue(Control::chkRememberSettings, 0);
    EXPECT_EQ(events.count("remember"), 2);

    window.setValue(Control::chkCloseWhenDone, 0);
    EXPECT_EQ(events.count("closewhendone"), 0);
    window.setValue(Control::chkCloseWhenDone, 2);
    EXPECT_EQ(window.value(Control::chkCloseWhenDone), 2);
    window.setValue(Control::chkCloseWhenDone, 1);
    EXPECT_EQ(events.count("closewhendone"), 2);

    // A user's click runs the handler as well, and it sees the new state.
    int seenState = -1;
    events.onCall = [&](const std::string& call) {
        if (call == "closewhendone") seenState = window.value(Control::chkCloseWhenDone);
    };
    window.setVisible(Control::frmProgress, true);
    window.show();
    QTest::mouseClick(window.widget(Control::chkCloseWhenDone), Qt::LeftButton, {}, QPoint(6, 8));
    EXPECT_EQ(events.count("closewhendone"), 3);
    EXPECT_EQ(seenState, 0);
    EXPECT_EQ(events.count("remember"), 2);
}

TEST_F(WizardWindow, ButtonsDeliverTheirClicks) {
    window.show();
    QTest::mouseClick(window.widget(Control::cmdNext), Qt::LeftButton);
    QTest::mouseClick(window.widget(Control::cmdCancel), Qt::LeftButton);
    EXPECT_EQ(events.calls, (std::vector<std::string>{"next", "cancel"}));
}

TEST_F(WizardWindow, UnloadRunsTheHandlerOnceAndTheWindowNeverReturns) {
    window.show();
    ASSERT_TRUE(window.window()->isVisible());
    window.unload();
    window.unload();
    EXPECT_EQ(events.calls, (std::vector<std::string>{"unload(code)"}));
    EXPECT_FALSE(window.isLoaded());
    EXPECT_FALSE(window.window()->isVisible());

    // Later calls are harmless and change nothing.
    window.show();
    window.setFocus();
    window.setVisible(Control::frmWizard, true);
    window.setCaption(Control::cmdCancel, "Finish");
    window.setValue(Control::chkCloseWhenDone, 1);
    window.setTimerEnabled(true);
    window.setTimerInterval(10);
    QApplication::processEvents();
    EXPECT_FALSE(window.window()->isVisible());
    EXPECT_EQ(window.caption(Control::cmdCancel), "Cancel");
    EXPECT_EQ(window.value(Control::chkCloseWhenDone), 0);
    EXPECT_FALSE(window.timerRunning());
    EXPECT_EQ(events.calls.size(), 1U);

    // Closing it again is not a second unload.
    window.window()->close();
    EXPECT_EQ(events.calls.size(), 1U);
}

TEST_F(WizardWindow, CloseBoxUnloadsWithItsOwnFlag) {
    window.show();
    window.setTimerEnabled(true);
    window.setTimerInterval(1000);
    window.window()->close();  // what the window manager's close box does
    EXPECT_EQ(events.calls, (std::vector<std::string>{"unload(closebox)"}));
    EXPECT_FALSE(window.window()->isVisible());
    EXPECT_FALSE(window.isLoaded());
    EXPECT_FALSE(window.timerRunning());
    window.unload();
    EXPECT_EQ(events.calls.size(), 1U);
}

TEST_F(WizardWindow, UnloadFromInsideAHandlerIsSafe) {
    events.onCall = [&](const std::string& call) {
        if (call == "cancel") window.unload();
        if (call.rfind("unload", 0) == 0) window.unload();  // re-entrant: ignored
    };
    window.show();
    QTest::mouseClick(window.widget(Control::cmdCancel), Qt::LeftButton);
    EXPECT_EQ(events.calls, (std::vector<std::string>{"cancel", "unload(code)"}));
}

TEST_F(WizardWindow, TimerTicksOnlyWhileEnabledWithAnInterval) {
    window.setTimerEnabled(true);
    EXPECT_FALSE(window.timerRunning()) << "interval 0 must not tick";
    window.setTimerInterval(5);
    QElapsedTimer clock;
    clock.start();
    while (events.count("tick") < 3 && clock.elapsed() < 5000) QTest::qWait(5);
    EXPECT_GE(events.count("tick"), 3);
    window.setTimerInterval(0);
    window.setTimerEnabled(false);
    const int ticks = events.count("tick");
    QTest::qWait(30);
    EXPECT_EQ(events.count("tick"), ticks);
    EXPECT_FALSE(window.isEnabled(Control::tmrProgress));
}

TEST_F(WizardWindow, MovesHidesAndRelabelsControls) {
    window.setLeft(Control::cmdCancel, window.left(Control::cmdNext));
    EXPECT_EQ(window.left(Control::cmdCancel), 5055);
    EXPECT_EQ(window.widget(Control::cmdCancel)->x(), 337);
    window.setVisible(Control::cmdNext, false);
    EXPECT_FALSE(window.isVisible(Control::cmdNext));
    window.setCaption(Control::cmdCancel, "Finish");
    EXPECT_EQ(window.caption(Control::cmdCancel), "Finish");
    EXPECT_EQ(window.width(Control::lblFolderName), 5940);
    window.setValue(Control::pbDiskProgress, 97);
    EXPECT_EQ(window.value(Control::pbDiskProgress), 97);
    window.setValue(Control::pbDiskProgress, -4);  // shown as an empty bar, not ignored
    EXPECT_EQ(window.value(Control::pbDiskProgress), 0);
    window.setWordWrap(Control::lblFolderName, false);
    EXPECT_FALSE(static_cast<QLabel*>(window.widget(Control::lblFolderName))->wordWrap());
    // Visibility is the control's own flag, not whether the window is on screen.
    EXPECT_FALSE(window.window()->isVisible());
    EXPECT_TRUE(window.isVisible(Control::lblFolderName));
}

TEST_F(WizardWindow, CompactsPathsToFitTheFolderLabel) {
    const QFontMetrics metrics(window.widget(Control::lblFolderName)->font());
    const std::string path = "/usr/share/locale/some/deeply/nested/folder/with/a/long/path/messages";
    const std::string result = window.compactPath(path, 200);
    EXPECT_LE(metrics.horizontalAdvance(QString::fromStdString(result)), 200);
    EXPECT_NE(result.find("..."), std::string::npos);
    EXPECT_EQ(result.substr(result.size() - 9), "/messages");
    EXPECT_EQ(window.compactPath("/usr", 396), "/usr");
}

TEST_F(WizardWindow, HandlerFailureIsShownNotThrownThroughTheToolkit) {
    struct Failing : RecordingEvents {
        void onNextClick() override { throw std::runtime_error("The engine could not start."); }
    } failing;
    QtWizardWindow w(failing);
    w.show();
    QString shown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            poll.stop();
            box->buttons().front()->click();
        }
    });
    poll.start(10);
    QTest::mouseClick(w.widget(Control::cmdNext), Qt::LeftButton);
    EXPECT_EQ(shown, "The engine could not start.");
}

TEST(ConfigureWindow, IsAFixedCaptionedDialogThatNothingShows) {
    test::qtApp();
    QWidget owner;
    QtConfigureWindow configure(&owner);
    EXPECT_EQ(configure.windowTitle(), "Configure Corvath Analyzer");
    EXPECT_EQ(configure.minimumSize(), QSize(529, 260));
    EXPECT_EQ(configure.maximumSize(), QSize(529, 260));
    EXPECT_FALSE(configure.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(configure.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(configure.isVisible());
}

}  // namespace
}  // namespace corvath
