#include "engine/posix/mount_root.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace corvath {

std::optional<bool> isMountRoot(int dirFd, const char* name) {
#ifdef STATX_ATTR_MOUNT_ROOT
    struct statx status {};
    if (::statx(dirFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, 0, &status) != 0) return std::nullopt;
    if ((status.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) == 0) return std::nullopt;
    return (status.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
#else
    (void)dirFd;
    (void)name;
    return std::nullopt;
#endif
}

std::uint64_t mountIdOf(int fd) {
#ifdef STATX_MNT_ID
    struct statx status {};
    if (::statx(fd, "", AT_EMPTY_PATH | AT_NO_AUTOMOUNT, STATX_MNT_ID, &status) == 0 &&
        (status.stx_mask & STATX_MNT_ID) != 0) {
        return status.stx_mnt_id;
    }
#else
    (void)fd;
#endif
    return 0;
}

}  // namespace corvath
