#include "platform/linux/file_identity.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace corvath {

bool FileIdentity::folder() const { return S_ISDIR(mode); }

bool FileIdentity::link() const { return S_ISLNK(mode); }

bool FileIdentity::sameMount(const FileIdentity& other) const {
    if (mountId != 0 && other.mountId != 0) return mountId == other.mountId;
    return device == other.device;
}

std::optional<FileIdentity> identify(int at, const char* name) {
    unsigned mask = STATX_TYPE | STATX_MODE | STATX_UID | STATX_INO | STATX_BLOCKS;
#ifdef STATX_MNT_ID
    mask |= STATX_MNT_ID;
#endif
    const int flags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | (name[0] == '\0' ? AT_EMPTY_PATH : 0);
    struct statx status {};
    if (::statx(at, name, flags, mask, &status) != 0) return std::nullopt;
    FileIdentity identity;
    identity.device = makedev(status.stx_dev_major, status.stx_dev_minor);
    identity.inode = status.stx_ino;
    identity.mode = status.stx_mode;
    identity.owner = status.stx_uid;
    identity.allocated = status.stx_blocks * 512;
#ifdef STATX_MNT_ID
    if ((status.stx_mask & STATX_MNT_ID) != 0) identity.mountId = status.stx_mnt_id;
#endif
#ifdef STATX_ATTR_MOUNT_ROOT
    identity.mountRoot = (status.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 &&
                         (status.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
#endif
    return identity;
}

}  // namespace corvath
