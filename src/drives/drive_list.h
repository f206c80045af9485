#pragma once

#include <string>

namespace corvath {

// The wizard's drive list as the drive logic fills and reads it. Positions are
// zero-based and stable; items stay in the order they were added.
class DriveList {
public:
    virtual ~DriveList() = default;
    virtual void clear() = 0;
    // Appends an unticked item showing text; returns the new item count.
    virtual int addItem(const std::string& text) = 0;
    virtual int count() const = 0;
    virtual void setIcon(int position, const std::string& iconName) = 0;
    // Kept with the item, never shown.
    virtual void setDriveName(int position, const std::string& driveName) = 0;
    virtual std::string driveName(int position) const = 0;
    // Shown dimmed; the item can still be ticked.
    virtual void setInaccessible(int position) = 0;
    virtual void setChecked(int position, bool checked) = 0;
    virtual bool isChecked(int position) const = 0;
};

}  // namespace corvath
