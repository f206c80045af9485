// The wizard as a screen reader meets it, through Qt's accessibility
// interfaces: the window a dialog, every control with a role and a name, the
// list's drives with their ticks and "cannot be read" mark, the bars with what
// they measure and their values, and the notice out of the tree once behind.
#include "qt/qt_wizard_window.h"

#include "qt/qt_test_app.h"
#include "wizard/recording_events.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QWidget>

namespace corvath {
namespace {

class WizardAccessibility : public test::QtFixture {
protected:
    QAccessibleInterface* of(Control control) const {
        return QAccessible::queryAccessibleInterface(window.widget(control));
    }
    std::string nameOf(const QAccessibleInterface* node) const { return node->text(QAccessible::Name).toStdString(); }

    test::RecordingEvents events;
    QtWizardWindow window{events};
};

TEST_F(WizardAccessibility, TheWindowIsADialogAndEveryControlIsNamed) {
    window.show();
    const QAccessibleInterface* form = of(Control::frmWizard);
    EXPECT_EQ(form->role(), QAccessible::Dialog);
    EXPECT_EQ(nameOf(form), "Corvath Analyzer");
    for (const Control frame : {Control::frmTop, Control::frmBar, Control::frmDrives, Control::frmProgress}) {
        EXPECT_EQ(of(frame)->role(), QAccessible::Pane) << static_cast<int>(frame);
    }
    EXPECT_EQ(of(Control::lvwDrives)->role(), QAccessible::Tree);
    EXPECT_EQ(nameOf(of(Control::lvwDrives)), "Drives to analyze");
    EXPECT_EQ(nameOf(of(Control::Image1)), "Corvath Analyzer banner");
    EXPECT_EQ(nameOf(of(Control::pbDiskProgress)), "Progress of the current drive");
    EXPECT_EQ(nameOf(of(Control::pbOverallProgress)), "Overall progress");
    window.setValue(Control::pbDiskProgress, 40);
    window.setValue(Control::pbOverallProgress, 12);
    EXPECT_EQ(of(Control::pbDiskProgress)->valueInterface()->currentValue().toInt(), 40);
    EXPECT_EQ(of(Control::pbOverallProgress)->valueInterface()->currentValue().toInt(), 12);
}

TEST_F(WizardAccessibility, EachDriveIsReadWithItsTickAndWhetherItCanBeRead) {
    window.enableListCheckBoxes();
    DriveList& drives = window.driveList();
    drives.addItem("Local Disk (/)");
    drives.addItem("Network Drive (/mnt/gone)");
    drives.setChecked(0, true);
    drives.setInaccessible(1);
    window.show();

    QAccessibleTableInterface* table = of(Control::lvwDrives)->tableInterface();
    ASSERT_NE(table, nullptr);
    // The hidden header still names the column, rather than reading "1".
    EXPECT_EQ(table->columnDescription(0).toStdString(), "Drive");
    ASSERT_EQ(table->rowCount(), 2);
    const QAccessibleInterface* readable = table->cellAt(0, 0);
    const QAccessibleInterface* unreadable = table->cellAt(1, 0);
    EXPECT_EQ(nameOf(readable), "Local Disk (/)");
    EXPECT_TRUE(readable->state().checked);
    EXPECT_EQ(nameOf(unreadable), "Network Drive (/mnt/gone), cannot be read");
    EXPECT_TRUE(unreadable->state().checkable);
    EXPECT_FALSE(unreadable->state().checked);
    // The logic still reads the drive's own name.
    EXPECT_EQ(drives.count(), 2);
}

TEST_F(WizardAccessibility, TheNoticeBehindTheListIsOutOfTheTreeWhileTheLogicStillReadsItVisible) {
    window.show();
    window.bringToFront(Control::txtLoading);
    EXPECT_FALSE(of(Control::txtLoading)->state().invisible);
    EXPECT_EQ(nameOf(of(Control::txtLoading)), "Loading local disks...please wait...");

    window.sendToBack(Control::txtLoading);
    EXPECT_TRUE(of(Control::txtLoading)->state().invisible);
    EXPECT_TRUE(window.isVisible(Control::txtLoading));
    EXPECT_FALSE(of(Control::lvwDrives)->state().invisible);

    // Hidden by the logic while behind, it stays hidden when brought forward.
    window.setVisible(Control::txtLoading, false);
    EXPECT_FALSE(window.isVisible(Control::txtLoading));
    window.bringToFront(Control::txtLoading);
    EXPECT_TRUE(of(Control::txtLoading)->state().invisible);
    window.setVisible(Control::txtLoading, true);
    EXPECT_FALSE(of(Control::txtLoading)->state().invisible);
}

}  // namespace
}  // namespace corvath
