#include "platform/linux/volume_filter.h"

#include <array>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>

namespace corvath {

namespace {

// Kernel filesystems named outright; libmount's pseudo flag covers the rest.
constexpr std::array<std::string_view, 30> kPseudoTypes = {
    "proc",       "sysfs",       "cgroup",    "cgroup2",     "devtmpfs",   "devpts",
    "mqueue",     "debugfs",     "tracefs",   "securityfs",  "pstore",     "bpf",
    "configfs",   "fusectl",     "hugetlbfs", "autofs",      "binfmt_misc", "efivarfs",
    "nsfs",       "rpc_pipefs",  "selinuxfs", "smackfs",     "apparmorfs", "nfsd",
    "sockfs",     "pipefs",      "anon_inodefs", "rootfs",   "devfs",      "usbfs",
};

// Types libmount calls pseudo that hold real files a user may want measured.
constexpr std::array<std::string_view, 5> kDataTypes = {
    "tmpfs", "ramfs", "overlay", "fuse", "virtiofs",
};

template <std::size_t N>
bool contains(const std::array<std::string_view, N>& list, std::string_view value) {
    for (std::string_view item : list) {
        if (item == value) return true;
    }
    return false;
}

bool isSameOrBelow(std::string_view path, std::string_view folder) {
    if (folder == "/") return !path.empty() && path.front() == '/';
    if (path.substr(0, folder.size()) != folder) return false;
    return path.size() == folder.size() || path[folder.size()] == '/';
}

bool mayHang(const MountEntry& entry) { return entry.network || entry.fsType.rfind("fuse", 0) == 0; }

// A bind-mounted file (containers bind /etc/hosts and friends) is no drive.
// Only local filesystems are asked, with cached attributes, and only when no
// network or FUSE mount lies on the way to them, so that a hung filesystem is
// never touched here. Unknown means keep.
bool isMountedFile(const MountEntry& entry, const std::vector<MountEntry>& table) {
    if (mayHang(entry)) return false;
    for (const MountEntry& other : table) {
        if (mayHang(other) && isSameOrBelow(entry.mountPoint, other.mountPoint)) return false;
    }
    struct statx info {};
    if (::statx(AT_FDCWD, entry.mountPoint.c_str(), AT_STATX_DONT_SYNC | AT_NO_AUTOMOUNT, STATX_TYPE,
                &info) != 0) {
        return false;
    }
    return (info.stx_mask & STATX_TYPE) != 0 && !S_ISDIR(info.stx_mode);
}

bool isOverlayOrFuse(const MountEntry& entry) {
    return entry.fsType == "overlay" || entry.fsType == "fuse" || entry.fsType.rfind("fuse.", 0) == 0;
}

// Where container runtimes and snaps keep the layers they mount.
constexpr std::array<std::string_view, 7> kRuntimeFolders = {
    "/var/lib/docker", "/var/lib/containers", "/var/lib/containerd", "/var/lib/lxc",
    "/var/lib/kubelet", "/snap",              "/var/snap",
};

// FUSE types that only ever mount container layers or application images.
constexpr std::array<std::string_view, 3> kImageFuseTypes = {
    "fuse.fuse-overlayfs", "fuse.squashfuse", "fuse.squashfuse_ll",
};

bool isSameFilesystem(const MountEntry& later, const MountEntry& listed) {
    return later.device == listed.device && isSameOrBelow(later.fsRoot, listed.fsRoot);
}

}  // namespace

bool isPseudoFilesystem(const MountEntry& entry) {
    if (contains(kPseudoTypes, entry.fsType)) return true;
    return entry.pseudo && !contains(kDataTypes, entry.fsType);
}

bool isContainerOrImageMount(const MountEntry& entry) {
    if (!isOverlayOrFuse(entry)) return false;
    if (contains(kImageFuseTypes, entry.fsType)) return true;
    const std::string_view point = entry.mountPoint;
    for (std::string_view folder : kRuntimeFolders) {
        if (isSameOrBelow(point, folder)) return true;
    }
    // Rootless Podman's storage in a home, and an AppImage's own mount.
    if (point.find("/.local/share/containers/") != std::string_view::npos) return true;
    const std::string_view name = point.substr(point.find_last_of('/') + 1);
    return isSameOrBelow(point, "/tmp") && name.rfind(".mount_", 0) == 0;
}

bool isSystemMountPoint(std::string_view mountPoint) {
    if (isSameOrBelow(mountPoint, "/run/media")) return false;
    for (std::string_view folder : {"/proc", "/sys", "/dev", "/run"}) {
        if (isSameOrBelow(mountPoint, folder)) return true;
    }
    return false;
}

std::vector<MountEntry> listedVolumes(const std::vector<MountEntry>& table) {
    std::vector<MountEntry> listed;
    for (const MountEntry& entry : table) {
        if (isPseudoFilesystem(entry)) continue;
        if (entry.fsType == "squashfs" && entry.readOnly) continue;
        if (isSystemMountPoint(entry.mountPoint) || isContainerOrImageMount(entry)) continue;
        // A filesystem mounted over another on the same mount point hides it:
        // the later mount takes the earlier one's place in the list.
        auto position = listed.end();
        for (auto it = listed.begin(); it != listed.end(); ++it) {
            if (it->mountPoint == entry.mountPoint) {
                position = listed.erase(it);
                break;
            }
        }
        bool known = false;
        for (const MountEntry& earlier : listed) {
            if (isSameFilesystem(entry, earlier)) {
                known = true;
                break;
            }
        }
        if (known || isMountedFile(entry, table)) continue;
        listed.insert(position, entry);
    }
    return listed;
}

}  // namespace corvath
