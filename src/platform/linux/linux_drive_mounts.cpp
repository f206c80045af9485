#include "platform/linux/linux_drive_mounts.h"

#include "platform/linux/block_device.h"
#include "platform/linux/mount_table.h"
#include "platform/linux/volume_tags.h"

namespace corvath {

std::optional<DriveMount> LinuxDriveMounts::mountAt(const std::string& root) {
    std::string path = root;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    const auto table = readMountTable(options_.mountInfoPath);
    if (!table) return std::nullopt;
    // A later mount at the same place covers the earlier ones.
    const MountEntry* top = nullptr;
    for (const MountEntry& entry : *table) {
        if (entry.mountPoint == path) top = &entry;
    }
    if (top == nullptr) return std::nullopt;

    DriveMount mount;
    mount.mountId = static_cast<std::uint64_t>(top->id);
    mount.device = top->device;
    if (const auto device = backingBlockDevice(*top, options_.sysfsRoot)) {
        if (const std::string uuid = volumeUuid(*device, options_.uuidDir); !uuid.empty()) {
            // Subvolumes and bound sub-folders of one filesystem share its UUID
            // but are drives of their own.
            mount.volume = top->fsRoot == "/" ? uuid : uuid + ":" + top->fsRoot;
        }
    }
    return mount;
}

}  // namespace corvath
