#pragma once

#include <string>
#include <sys/types.h>
#include <variant>

#include "engine/posix/unique_fd.h"
#include "platform/linux/item_below_root.h"
#include "run/trash_can.h"

namespace corvath {

// The trash folder that takes an item, opened: its files/ and info/.
struct TrashFolder {
    std::string path;  // "/home/u/.local/share/Trash", "/media/usb/.Trash-1000"
    UniqueFd files;
    UniqueFd info;
    // A topdir trash records paths relative to its drive's root, so that they
    // still hold when the drive is mounted elsewhere; the home trash absolute.
    bool relativePaths = false;
};

// The freedesktop.org trash for the item: the home trash (homeTrash, which
// is made when missing) when the item lies on its mount; else on the item's
// drive, whose root is taken as the top of its mount, $topdir/.Trash/$uid when
// $topdir/.Trash is a real folder with the sticky bit, else $topdir/.Trash-$uid.
// Folders are made 0700; one that is a link or another user's is refused.
std::variant<TrashFolder, TrashRefusal> openTrashFor(const ItemBelowRoot& item, const std::string& homeTrash,
                                                     uid_t user);

}  // namespace corvath
