#include "qt/qt_drive_list.h"

#include "qt/qt_test_app.h"
#include "qt/qt_look.h"

#include <gtest/gtest.h>

#include <QTreeWidget>

namespace corvath {
namespace {

class DriveListTest : public test::QtFixture {
protected:
    void SetUp() override { test::qtApp(); }
    QTreeWidget tree;
    QtDriveList list{tree};
};

TEST_F(DriveListTest, KeepsNamesApartFromTheTextShown) {
    EXPECT_EQ(list.addItem("Local Disk (/)"), 1);
    EXPECT_EQ(list.addItem("DATA (/media/usb)"), 2);
    list.setDriveName(0, "/");
    list.setDriveName(1, "/media/usb");
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.driveName(1), "/media/usb");
    EXPECT_EQ(tree.topLevelItem(1)->text(0), "DATA (/media/usb)");
    EXPECT_EQ(list.driveName(5), "");  // out of range reads as nothing
    list.clear();
    EXPECT_EQ(list.count(), 0);
}

TEST_F(DriveListTest, TicksNeedCheckBoxesAndAreKeptPerItem) {
    list.addItem("before");
    list.setChecked(0, true);
    EXPECT_FALSE(list.isChecked(0));
    list.enableCheckBoxes();
    list.addItem("after");
    EXPECT_TRUE(tree.topLevelItem(0)->flags() & Qt::ItemIsUserCheckable);
    EXPECT_TRUE(tree.topLevelItem(1)->flags() & Qt::ItemIsUserCheckable);
    list.setChecked(1, true);
    EXPECT_FALSE(list.isChecked(0));
    EXPECT_TRUE(list.isChecked(1));
    tree.topLevelItem(0)->setCheckState(0, Qt::Checked);  // as a user's tick
    EXPECT_TRUE(list.isChecked(0));
}

TEST_F(DriveListTest, InaccessibleDrivesAreDimmedButStillTickable) {
    list.enableCheckBoxes();
    list.addItem("Network Drive (/mnt/nfs)");
    list.setIcon(0, "folder-remote");
    list.setInaccessible(0);
    EXPECT_TRUE(list.isInaccessible(0));
    EXPECT_EQ(tree.topLevelItem(0)->foreground(0).color(), tree.palette().color(QPalette::Disabled, QPalette::Text));
    EXPECT_TRUE(tree.topLevelItem(0)->flags() & Qt::ItemIsEnabled);
    list.setChecked(0, true);
    EXPECT_TRUE(list.isChecked(0));
    EXPECT_FALSE(tree.topLevelItem(0)->icon(0).isNull());
}

TEST_F(DriveListTest, EveryDriveKindHasAnIconThemedOrShipped) {
    prepareIconTheme();
    for (const char* name : {"drive-harddisk", "drive-removable-media", "folder-remote", "drive-optical",
                             "media-memory", "no-such-icon-anywhere"}) {
        const QIcon icon = driveIcon(name);
        EXPECT_FALSE(icon.pixmap(16, 16).isNull()) << name;
    }
    // The theme is reachable at all (Adwaita ships a hard-disk icon).
    EXPECT_TRUE(QIcon::hasThemeIcon("drive-harddisk")) << QIcon::themeName().toStdString();
}

}  // namespace
}  // namespace corvath
