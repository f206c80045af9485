#include "win32/win32_drive_list.h"

#include "platform/windows/system_image_list.h"

#include <commctrl.h>

#include <charconv>

namespace corvath {

namespace {

constexpr UINT kUnticked = 0x1000;  // state image 1
constexpr UINT kTicked = 0x2000;    // state image 2

}  // namespace

void Win32DriveList::attach(HWND listView) {
    list_ = listView;
    // The list only borrows the system's image list (LVS_SHAREIMAGELISTS), so
    // destroying the list leaves it alone.
    if (HIMAGELIST images = systemSmallImageList()) {
        SendMessageA(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
    }
}

void Win32DriveList::enableCheckBoxes() {
    if (checkBoxes_) return;
    checkBoxes_ = true;
    SendMessageA(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
}

UINT Win32DriveList::state(int position, UINT mask) const {
    return static_cast<UINT>(SendMessageA(list_, LVM_GETITEMSTATE, static_cast<WPARAM>(position), mask));
}

void Win32DriveList::setState(int position, UINT value, UINT mask) {
    LVITEMA item{};
    item.stateMask = mask;
    item.state = value;
    SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&item));
}

void Win32DriveList::clear() {
    SendMessageA(list_, LVM_DELETEALLITEMS, 0, 0);
    names_.clear();
}

int Win32DriveList::addItem(const std::string& text) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = count();
    item.pszText = const_cast<char*>(text.c_str());
    item.iImage = I_IMAGENONE;
    const auto at = SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    if (at < 0) return count();
    names_.insert(names_.begin() + at, std::string());
    // A new item is unticked, whatever the list view's own default.
    if (checkBoxes_) setState(static_cast<int>(at), kUnticked, LVIS_STATEIMAGEMASK);
    return count();
}

int Win32DriveList::count() const { return static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)); }

void Win32DriveList::setIcon(int position, const std::string& iconName) {
    if (!valid(position)) return;
    int index = 0;
    const char* end = iconName.data() + iconName.size();
    const auto [parsed, error] = std::from_chars(iconName.data(), end, index);
    // Only an index of the system's image list names an icon here.
    if (error != std::errc() || parsed != end || index < 0) return;
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = position;
    item.iImage = index;
    SendMessageA(list_, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

int Win32DriveList::iconIndex(int position) const {
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = position;
    if (!valid(position) || !SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return I_IMAGENONE;
    return item.iImage;
}

std::string Win32DriveList::text(int position) const {
    if (!valid(position)) return {};
    char buffer[512] = {};
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    SendMessageA(list_, LVM_GETITEMTEXTA, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&item));
    return buffer;
}

void Win32DriveList::setDriveName(int position, const std::string& driveName) {
    if (valid(position)) names_[static_cast<std::size_t>(position)] = driveName;
}

std::string Win32DriveList::driveName(int position) const {
    return valid(position) ? names_[static_cast<std::size_t>(position)] : std::string();
}

void Win32DriveList::setInaccessible(int position) {
    if (valid(position)) setState(position, LVIS_CUT, LVIS_CUT);
}

bool Win32DriveList::isInaccessible(int position) const {
    return valid(position) && (state(position, LVIS_CUT) & LVIS_CUT) != 0;
}

void Win32DriveList::setChecked(int position, bool checked) {
    if (!valid(position) || !checkBoxes_) return;
    setState(position, checked ? kTicked : kUnticked, LVIS_STATEIMAGEMASK);
}

bool Win32DriveList::isChecked(int position) const {
    return valid(position) && checkBoxes_ && (state(position, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) == kTicked;
}

}  // namespace corvath
