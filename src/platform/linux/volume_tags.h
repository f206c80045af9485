#pragma once

#include "platform/linux/block_device.h"

#include <string>
#include <string_view>

namespace corvath {

// The filesystem label of a block device: from the udev links in labelDir
// (normally /dev/disk/by-label) when one points at the device, else read from
// the device's superblock with libblkid. Empty when it has none.
std::string volumeLabel(const BlockDevice& device, const std::string& labelDir);

// The filesystem's UUID, the same way: from the links in uuidDir (normally
// /dev/disk/by-uuid), else from the superblock. Empty when it has none.
std::string volumeUuid(const BlockDevice& device, const std::string& uuidDir);

// Undoes udev's escaping of link names ("My\x20Disk" is "My Disk").
std::string decodeUdevName(std::string_view name);

}  // namespace corvath
