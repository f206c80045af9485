#include "qt/qt_wizard_window.h"

#include "qt/qt_test_app.h"
#include "wizard/recording_events.h"

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

TEST_F(WizardWindow, IsAFixedWindowWithItsIconAndBanner) {
    EXPECT_EQ(window.window()->size(), QSize(431, 338));
    EXPECT_EQ(window.window()->minimumSize(), window.window()->maximumSize());
    EXPECT_FALSE(window.window()->windowIcon().isNull());
    EXPECT_EQ(static_cast<QLabel*>(window.widget(Control::Image1))->pixmap().size(), QSize(500, 70));
    EXPECT_FALSE(window.window()->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window.window()->windowFlags() & Qt::WindowMinimizeButtonHint);
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

TEST_F(WizardWindow, CompactsPathsToFitTheFolderLabel) {
    const QFontMetrics metrics(window.widget(Control::lblFolderName)->font());
    const std::string path = "/usr/share/locale/some/deeply/nested/folder/with/a/long/path/messages";
    const std::string result = window.compactPath(path, 200);
    EXPECT_LE(metrics.horizontalAdvance(QString::fromStdString(result)), 200);
    EXPECT_NE(result.find("..."), std::string::npos);
    EXPECT_EQ(result.substr(result.size() - 9), "/messages");
    EXPECT_EQ(window.compactPath("/usr", 396), "/usr");
}

}  // namespace
}  // namespace corvath
