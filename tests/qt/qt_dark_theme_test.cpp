// The wizard under a dark colour scheme: what is drawn on the dark list can
// still be seen, the empty tick boxes of unticked drives included.
#include "qt/qt_wizard_window.h"

#include "qt/qt_test_app.h"
#include "wizard/recording_events.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPalette>
#include <QTreeWidget>

#include <algorithm>
#include <cstdlib>

namespace corvath {
namespace {

QPalette darkPalette() {
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
    dark.setColor(QPalette::AlternateBase, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::ButtonText, Qt::white);
    dark.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
    return dark;
}

// How far the drawing in the rectangle stands out from the list's ground at
// most, in grey levels.
int standsOut(const QImage& image, const QRect& area, const QColor& ground) {
    int most = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            most = std::max(most, std::abs(qGray(image.pixel(x, y)) - qGray(ground.rgb())));
        }
    }
    return most;
}

class DarkTheme : public test::QtFixture {
protected:
    DarkTheme() : light_(QApplication::palette()) { QApplication::setPalette(darkPalette()); }
    ~DarkTheme() override { QApplication::setPalette(light_); }

    QPalette light_;
};

TEST_F(DarkTheme, AnUntickedDrivesBoxShowsOnTheDarkList) {
    test::RecordingEvents events;
    QtWizardWindow window(events);
    window.enableListCheckBoxes();
    window.driveList().addItem("Local Disk (/)");
    window.driveList().addItem("Local Disk (/home)");
    window.driveList().setChecked(0, true);
    window.setVisible(Control::frmProgress, false);
    window.show();

    auto* list = static_cast<QTreeWidget*>(window.widget(Control::lvwDrives));
    const QImage shot = list->viewport()->grab().toImage();
    const QColor ground = list->palette().color(QPalette::Base);
    // The box lies left of the icon, at the start of each row.
    const auto boxOf = [&](int row) {
        const QRect item = list->visualItemRect(list->topLevelItem(row));
        return QRect(item.left(), item.top(), std::min(item.height(), 20), item.height());
    };
    EXPECT_GE(standsOut(shot, boxOf(1), ground), 96) << "the empty box hardly shows";
    EXPECT_GE(standsOut(shot, boxOf(0), ground), 96) << "the ticked box hardly shows";

    // So does the empty box of "Remember these settings", on the window's ground.
    QWidget* remember = window.widget(Control::chkRememberSettings);
    const QImage box = remember->grab().toImage();
    const int side = std::min(box.height(), 16);
    EXPECT_GE(standsOut(box, QRect(0, (box.height() - side) / 2, side, side), remember->palette().color(QPalette::Window)), 96)
        << "the empty Remember box hardly shows";
}

}  // namespace
}  // namespace corvath
