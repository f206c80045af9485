#include "platform/linux/disk_space.h"

#include <algorithm>
#include <cstdint>

namespace corvath {

bool diskSpaceOf(const struct statvfs& info, DiskSpace& space) {
    space = DiskSpace{};
    // Some filesystems leave the fragment size zero; the block size then applies.
    const std::uint64_t unit = info.f_frsize != 0 ? info.f_frsize : info.f_bsize;
    std::uint64_t total = 0;
    std::uint64_t free = 0;
    if (__builtin_mul_overflow(static_cast<std::uint64_t>(info.f_blocks), unit, &total) ||
        __builtin_mul_overflow(static_cast<std::uint64_t>(info.f_bfree), unit, &free)) {
        return false;
    }
    space.totalBytes = total;
    space.totalFreeBytes = std::min(free, total);
    return true;
}

bool statvfsDiskSpace(const std::string& path, DiskSpace& space) {
    space = DiskSpace{};
    struct statvfs info {};
    if (::statvfs(path.c_str(), &info) != 0) return false;
    return diskSpaceOf(info, space);
}

}  // namespace corvath
