#pragma once

#include "platform/linux/block_device.h"
#include "platform/linux/mount_table.h"

#include <optional>

#include <string>

namespace corvath {

enum class DriveKind { Removable, Fixed, Network, Optical, RamDisk };

// Classifies a listed mount from its type and, for block devices, sysfs:
// network filesystems first, then RAM-backed ones, optical drives, removable
// disks (flagged removable, or on a USB, MMC or FireWire bus), else fixed.
// device is what backingBlockDevice found for the entry.
DriveKind driveKindOf(const MountEntry& entry, const std::optional<BlockDevice>& device,
                      const std::string& sysfsRoot);

int driveTypeCode(DriveKind kind);      // the drive_type codes of volume_layer.h
const char* kindCaption(DriveKind kind); // "Local Disk", "Removable Disk", ...
const char* kindIcon(DriveKind kind);    // themed icon name

}  // namespace corvath
