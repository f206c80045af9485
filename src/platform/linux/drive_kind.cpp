#include "platform/linux/drive_kind.h"

#include "drives/volume_layer.h"

#include <array>
#include <filesystem>
#include <string_view>

namespace corvath {

namespace fs = std::filesystem;

namespace {

// Network filesystems libmount does not flag as such, and FUSE front ends of
// remote storage.
constexpr std::array<std::string_view, 17> kNetworkTypes = {
    "nfs",          "nfs4",        "cifs",         "smb3",        "smbfs",      "9p",
    "ceph",         "glusterfs",   "fuse.glusterfs", "fuse.sshfs", "afs",        "ncpfs",
    "coda",         "davfs",       "fuse.rclone",  "fuse.s3fs",   "lustre",
};

bool isNetwork(const MountEntry& entry) {
    if (entry.network) return true;
    for (std::string_view type : kNetworkTypes) {
        if (entry.fsType == type) return true;
    }
    return false;
}

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// Walks from the disk's folder up through its parents, looking at the bus each
// device sits on.
bool onRemovableBus(const std::string& diskSysfs, const std::string& sysfsRoot) {
    std::error_code error;
    const fs::path top = fs::weakly_canonical(fs::path(sysfsRoot) / "devices", error);
    for (fs::path folder = diskSysfs; folder.has_relative_path() && folder != top; folder = folder.parent_path()) {
        const fs::path subsystem = fs::read_symlink(folder / "subsystem", error);
        if (!error) {
            const std::string bus = subsystem.filename().string();
            if (bus == "usb" || bus == "mmc" || bus == "firewire") return true;
        }
    }
    return false;
}

}  // namespace

DriveKind driveKindOf(const MountEntry& entry, const std::optional<BlockDevice>& device,
                      const std::string& sysfsRoot) {
    if (isNetwork(entry)) return DriveKind::Network;
    if (entry.fsType == "tmpfs" || entry.fsType == "ramfs") return DriveKind::RamDisk;
    const bool fuse = entry.fsType == "fuse" || startsWith(entry.fsType, "fuse.");
    if (!device) return fuse ? DriveKind::UserSpace : DriveKind::Fixed;
    const std::string_view disk = device->diskName;
    if (startsWith(disk, "zram") || startsWith(disk, "ram")) return DriveKind::RamDisk;
    if (startsWith(disk, "sr") || readSysfsAttribute(device->diskSysfs + "/device/type") == "5") {
        return DriveKind::Optical;
    }
    if (readSysfsAttribute(device->diskSysfs + "/removable") == "1" ||
        onRemovableBus(device->diskSysfs, sysfsRoot)) {
        return DriveKind::Removable;
    }
    return DriveKind::Fixed;
}

int driveTypeCode(DriveKind kind) {
    switch (kind) {
    case DriveKind::Removable: return drive_type::kRemovable;
    case DriveKind::Fixed: return drive_type::kFixed;
    case DriveKind::Network:
    case DriveKind::UserSpace: return drive_type::kRemote;
    case DriveKind::Optical: return drive_type::kCdRom;
    case DriveKind::RamDisk: return drive_type::kRamDisk;
    }
    return drive_type::kUnknown;
}

const char* kindCaption(DriveKind kind) {
    switch (kind) {
    case DriveKind::Removable: return "Removable Disk";
    case DriveKind::Fixed:
    case DriveKind::UserSpace: return "Local Disk";
    case DriveKind::Network: return "Network Drive";
    case DriveKind::Optical: return "CD Drive";
    case DriveKind::RamDisk: return "RAM Disk";
    }
    return "Local Disk";
}

const char* kindIcon(DriveKind kind) {
    switch (kind) {
    case DriveKind::Removable: return "drive-removable-media";
    case DriveKind::Fixed:
    case DriveKind::UserSpace: return "drive-harddisk";
    case DriveKind::Network: return "folder-remote";
    case DriveKind::Optical: return "drive-optical";
    case DriveKind::RamDisk: return "media-memory";
    }
    return "drive-harddisk";
}

}  // namespace corvath
