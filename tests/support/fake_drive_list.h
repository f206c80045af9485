#pragma once

#include "drives/drive_list.h"

#include <string>
#include <vector>

namespace corvath::test {

// The drive list as plain data.
class FakeDriveList : public DriveList {
public:
    struct Item {
        std::string text;
        std::string icon;
        std::string driveName;
        bool inaccessible = false;
        bool checked = false;
    };
    std::vector<Item> items;

    void clear() override { items.clear(); }
    int addItem(const std::string& text) override {
        Item item;
        item.text = text;
        items.push_back(item);
        return count();
    }
    int count() const override { return static_cast<int>(items.size()); }
    void setIcon(int position, const std::string& iconName) override { at(position).icon = iconName; }
    void setDriveName(int position, const std::string& name) override { at(position).driveName = name; }
    std::string driveName(int position) const override { return items.at(static_cast<std::size_t>(position)).driveName; }
    void setInaccessible(int position) override { at(position).inaccessible = true; }
    void setChecked(int position, bool checked) override { at(position).checked = checked; }
    bool isChecked(int position) const override { return items.at(static_cast<std::size_t>(position)).checked; }

private:
    Item& at(int position) { return items.at(static_cast<std::size_t>(position)); }
};

}  // namespace corvath::test
