#include "platform/linux/mounts_within.h"

#include "platform/linux/mount_table.h"

#include <climits>
#include <unistd.h>

namespace corvath {
namespace {

// The item's path as the mount table spells it: the kernel's own name for the
// descriptor, with any link on the way to the root resolved.
std::optional<std::string> kernelPath(int fd) {
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    std::string path(PATH_MAX, '\0');
    const ssize_t length = ::readlink(link.c_str(), path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) return std::nullopt;
    path.resize(static_cast<std::size_t>(length));
    return path;
}

}  // namespace

std::optional<TrashRefusal> refuseMountsWithin(const ItemBelowRoot& item, const std::string& mountInfoPath) {
    using Reason = TrashRefusal::Reason;
    if (item.identity.mountRoot) return TrashRefusal{Reason::OtherFilesystem, item.shownPath, {}};
    const auto path = kernelPath(item.item.get());
    const auto table = readMountTable(mountInfoPath);
    if (!path || !table) return TrashRefusal{Reason::Failed, item.shownPath, "the mount table cannot be read"};
    for (const MountEntry& mount : *table) {
        if (mount.mountPoint == *path) return TrashRefusal{Reason::OtherFilesystem, item.shownPath, {}};
        if (mount.mountPoint.size() > path->size() && mount.mountPoint.compare(0, path->size(), *path) == 0 &&
            mount.mountPoint[path->size()] == '/') {
            return TrashRefusal{Reason::HoldsMount, mount.mountPoint, {}};
        }
    }
    return std::nullopt;
}

}  // namespace corvath
