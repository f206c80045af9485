// The drive page on a real X server (Xvfb): a screenshot for people to look at,
// and a pixel check that no frame border shows beyond the two lines the design
// wants: the banner's lower edge and the separator above the buttons.
#include "qt/qt_wizard_window.h"

#include "e2e/x_display.h"
#include "wizard/recording_events.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>
#include <unistd.h>

namespace corvath {
namespace {

TEST(DrivePageOnX11, LooksAsDesignedWithOnlyTheTwoLines) {
    const std::string xvfb = CORVATH_XVFB;
    if (xvfb.empty() || ::access(xvfb.c_str(), X_OK) != 0) {
        GTEST_SKIP() << "Xvfb is not installed (apt-get install xvfb); no X11 screenshot taken";
    }
    test::XServer server;
    ASSERT_TRUE(server.start(xvfb)) << "Xvfb did not start";
    ::setenv("DISPLAY", server.display().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);

    QImage shot;
    QColor background;
    QColor shadow;
    QColor light;
    std::vector<QRect> controls;
    {
        int argc = 1;
        char name[] = "screenshot";
        char* argv[] = {name, nullptr};
        QApplication app(argc, argv);
        test::RecordingEvents events;
        QtWizardWindow window(events);

        // The drive page as start-up leaves it.
        window.setVisible(Control::frmDrives, true);
        for (Control c : {Control::frmDrives, Control::frmTop, Control::frmBar, Control::cmdCancel, Control::cmdNext,
                          Control::cmdConfig}) {
            window.bringToFront(c);
        }
        window.setVisible(Control::frmProgress, false);
        window.enableListCheckBoxes();
        struct Drive { const char* text; const char* name; const char* icon; bool ticked; bool readable; };
        const Drive drives[] = {
            {"Local Disk (/)", "/", "drive-harddisk", true, true},
            {"home (/home)", "/home", "drive-harddisk", true, true},
            {"USB STICK (/media/usb)", "/media/usb", "drive-removable-media", false, true},
            {"Network Drive (/mnt/share)", "/mnt/share", "folder-remote", false, false},
            {"RAM Disk (/tmp)", "/tmp", "media-memory", false, true},
        };
        for (const Drive& d : drives) {
            const int position = window.driveList().addItem(d.text) - 1;
            window.driveList().setIcon(position, d.icon);
            window.driveList().setDriveName(position, d.name);
            if (!d.readable) window.driveList().setInaccessible(position);
            window.driveList().setChecked(position, d.ticked);
        }
        window.sendToBack(Control::txtLoading);
        window.setListColumnWidth(5940 - 1000);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.window()));
        QTest::qWait(300);

        EXPECT_EQ(window.twipsPerPixelX(), 15);
        QWidget* form = window.window();
        const QPoint origin = form->mapToGlobal(QPoint(0, 0));
        shot = form->screen()->grabWindow(0, origin.x(), origin.y(), form->width(), form->height()).toImage();
        background = form->palette().color(QPalette::Window);
        shadow = form->palette().color(QPalette::Dark);
        light = form->palette().color(QPalette::Light);
        for (Control c : {Control::lvwDrives, Control::chkRememberSettings, Control::cmdNext, Control::cmdCancel}) {
            QWidget* w = window.widget(c);
            controls.emplace_back(w->mapTo(form, QPoint(0, 0)), w->size());
        }
    }

    QDir().mkpath(CORVATH_ARTIFACT_DIR);
    const QString path = QStringLiteral(CORVATH_ARTIFACT_DIR "/drive-page.png");
    ASSERT_TRUE(shot.save(path)) << path.toStdString();
    ASSERT_EQ(shot.size(), QSize(431, 338));

    // Compared as 8-bit RGB, which is what the screen holds.
    const auto colour = [&](int x, int y) { return shot.pixelColor(x, y).name().toStdString(); };
    const std::string shadowRgb = shadow.name().toStdString();
    const std::string lightRgb = light.name().toStdString();
    const std::string backgroundRgb = background.name().toStdString();
    // The two lines run across the whole width.
    for (int x = 0; x < shot.width(); ++x) {
        EXPECT_EQ(colour(x, 55), shadowRgb) << "banner edge at x " << x;
        EXPECT_EQ(colour(x, 56), lightRgb) << "banner edge at x " << x;
        EXPECT_EQ(colour(x, 280), shadowRgb) << "separator at x " << x;
        EXPECT_EQ(colour(x, 281), lightRgb) << "separator at x " << x;
    }
    // Everywhere else below the banner that no control covers is plain ground:
    // no edge, corner or caption of a frame.
    int stray = 0;
    for (int y = 57; y < shot.height(); ++y) {
        if (y == 280 || y == 281) continue;
        for (int x = 0; x < shot.width(); ++x) {
            bool covered = false;
            for (const QRect& r : controls) covered = covered || r.contains(x, y);
            if (!covered && colour(x, y) != backgroundRgb && ++stray <= 10) {
                ADD_FAILURE() << "stray pixel at " << x << "," << y << ": " << colour(x, y);
            }
        }
    }
    EXPECT_EQ(stray, 0);
    // The banner's band shows no border at the window's left, right or top edge.
    for (int y = 0; y < 55; ++y) {
        EXPECT_NE(colour(0, y), shadowRgb) << y;
        EXPECT_NE(colour(430, y), shadowRgb) << y;
    }
    for (int x = 0; x < shot.width(); ++x) EXPECT_NE(colour(x, 0), shadowRgb) << x;
}

}  // namespace
}  // namespace corvath
