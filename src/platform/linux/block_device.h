#pragma once

#include "platform/linux/mount_table.h"

#include <optional>
#include <string>
#include <sys/types.h>

namespace corvath {

// The block device behind a mount, as sysfs describes it.
struct BlockDevice {
    dev_t number = 0;       // the device's major:minor
    std::string node;       // a device node to read it through, e.g. "/dev/sda1"; may be empty
    std::string diskName;   // the whole disk's kernel name: "sda" for sda1, "sr0", "zram0"
    std::string diskSysfs;  // the whole disk's folder under /sys/devices (resolved)
};

// Finds the block device holding a mount: the source when it is a device node,
// else the table's device number when sysfs knows it as a block device. Reads
// only /dev nodes and sysfs, never the mounted filesystem. Empty when the
// filesystem has no block device (tmpfs, network, overlay).
std::optional<BlockDevice> backingBlockDevice(const MountEntry& entry, const std::string& sysfsRoot);

// The text of a small sysfs attribute file without its trailing line break;
// empty when it cannot be read.
std::string readSysfsAttribute(const std::string& file);

}  // namespace corvath
