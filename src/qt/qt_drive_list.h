#pragma once

#include "drives/drive_list.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace corvath {

// The drive list over a one-column QTreeWidget: the drive name rides in a data
// role of its item, icons come from the icon theme by name, and an inaccessible
// drive is drawn dimmed but can still be ticked.
class QtDriveList : public DriveList {
public:
    explicit QtDriveList(QTreeWidget& tree) : tree_(tree) {}

    void clear() override;
    int addItem(const std::string& text) override;
    int count() const override;
    void setIcon(int position, const std::string& iconName) override;
    void setDriveName(int position, const std::string& driveName) override;
    std::string driveName(int position) const override;
    void setInaccessible(int position) override;
    void setChecked(int position, bool checked) override;
    bool isChecked(int position) const override;

    // Gives every item, present and future, a check box.
    void enableCheckBoxes();
    bool isInaccessible(int position) const;

private:
    QTreeWidgetItem* item(int position) const;
    void applyIcon(QTreeWidgetItem& item) const;

    QTreeWidget& tree_;
    bool checkBoxes_ = false;
};

}  // namespace corvath
