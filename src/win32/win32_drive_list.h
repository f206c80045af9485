#pragma once

#include "drives/drive_list.h"

#include <windows.h>

#include <string>
#include <vector>

namespace corvath {

// The drive list over a report-view list view: one column, the system's small
// image list (an icon name is an index into it, as decimal text), the drive
// name kept beside each item, an inaccessible drive ghosted (LVIS_CUT).
class Win32DriveList : public DriveList {
public:
    // Takes a list view that exists for as long as this object is used.
    void attach(HWND listView);
    // Tick boxes on every item; ticks exist only from then on.
    void enableCheckBoxes();
    bool isInaccessible(int position) const;
    std::string text(int position) const;
    int iconIndex(int position) const;

    void clear() override;
    int addItem(const std::string& text) override;
    int count() const override;
    void setIcon(int position, const std::string& iconName) override;
    void setDriveName(int position, const std::string& driveName) override;
    std::string driveName(int position) const override;
    void setInaccessible(int position) override;
    void setChecked(int position, bool checked) override;
    bool isChecked(int position) const override;

private:
    bool valid(int position) const { return position >= 0 && position < count(); }
    UINT state(int position, UINT mask) const;
    void setState(int position, UINT state, UINT mask);

    HWND list_ = nullptr;
    std::vector<std::string> names_;  // by position
    bool checkBoxes_ = false;
};

}  // namespace corvath
