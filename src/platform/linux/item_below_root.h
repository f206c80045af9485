#pragma once

#include <string>
#include <variant>

#include "engine/posix/unique_fd.h"
#include "platform/linux/file_identity.h"
#include "run/trash_can.h"

namespace corvath {

// An item reached from its drive's root one name at a time. The descriptors
// are O_PATH: they pin the folders on the way, so what is later done "at" them
// is done to the folders checked, whatever is renamed meanwhile.
struct ItemBelowRoot {
    UniqueFd root;
    UniqueFd parent;  // the folder that holds the item
    UniqueFd item;
    std::string name;       // the item's name in its parent
    std::string below;      // its path relative to the root: "x/sub"
    std::string shownPath;  // the root and that path: "/media/d/x/sub"
    FileIdentity identity;
};

// Opens the drive's root (as the scanner did, through any link in its own
// path), then each name below it without following a link and without
// entering another mount; a part that is a link, is gone, is not a folder or
// lies on another filesystem refuses the item, naming that part.
std::variant<ItemBelowRoot, TrashRefusal> findBelowRoot(const TrashItem& item);

}  // namespace corvath
