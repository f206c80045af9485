#pragma once

#include "platform/linux/block_device.h"
#include "platform/linux/mount_table.h"

#include <optional>

#include <string>

namespace corvath {

// UserSpace: a FUSE filesystem with no block device (an encrypted folder, a
// pool of other drives): shown as a local disk, but typed as a network drive,
// since a process serves it and may stop answering, and it is no fixed drive
// to analyze by default (its data usually lies on another drive too).
enum class DriveKind { Removable, Fixed, Network, Optical, RamDisk, UserSpace };

// Classifies a listed mount from its type and, for block devices, sysfs:
// network filesystems first, then RAM-backed ones, FUSE without a block
// device, optical drives, removable disks (flagged removable, or on a USB, MMC
// or FireWire bus), else fixed.
// device is what backingBlockDevice found for the entry.
DriveKind driveKindOf(const MountEntry& entry, const std::optional<BlockDevice>& device,
                      const std::string& sysfsRoot);

int driveTypeCode(DriveKind kind);      // the drive_type codes of volume_layer.h
const char* kindCaption(DriveKind kind); // "Local Disk", "Removable Disk", ...
const char* kindIcon(DriveKind kind);    // themed icon name

}  // namespace corvath
