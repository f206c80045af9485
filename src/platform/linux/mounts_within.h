#pragma once

#include <optional>
#include <string>

#include "platform/linux/item_below_root.h"
#include "run/trash_can.h"

namespace corvath {

// Refuses an item that is a mount point or holds one, by the kernel's mount
// table (mountinfo, read as given, normally /proc/self/mountinfo): moving it
// would carry a live filesystem into the trash, and emptying the trash would
// delete that filesystem's files. A table that cannot be read refuses too.
std::optional<TrashRefusal> refuseMountsWithin(const ItemBelowRoot& item,
                                               const std::string& mountInfoPath = "/proc/self/mountinfo");

}  // namespace corvath
