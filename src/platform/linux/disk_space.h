#pragma once

#include "drives/volume_layer.h"

#include <string>
#include <sys/statvfs.h>

namespace corvath {

// Sizes of the filesystem holding path, from statvfs. Blocks as long as the
// filesystem does: run it through a bounded call. False, with space zero, when
// the query fails or the sizes do not fit 64 bits.
bool statvfsDiskSpace(const std::string& path, DiskSpace& space);

// The sizes a statvfs answer describes: blocks times fragment size. A free
// count above the total is taken as the total, so used bytes never wrap.
bool diskSpaceOf(const struct statvfs& info, DiskSpace& space);

}  // namespace corvath
