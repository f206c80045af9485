#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace corvath {

// The filesystem mounted at a drive's root, as the system's mount table tells.
struct DriveMount {
    std::uint64_t mountId = 0;  // the kernel's ID of the mount; 0 where there is none
    std::uint64_t device = 0;   // the filesystem's device (st_dev); 0 where unknown
    // What identifies the filesystem wherever it is mounted: its UUID, with the
    // folder of it mounted here when that is not its root ("UUID:/@home" for a
    // btrfs subvolume); the volume GUID path on Windows. "" when it has none
    // (tmpfs, most network and FUSE filesystems).
    std::string volume;
};

// Asks the platform what is mounted where, without touching the filesystems
// themselves, so that it answers for a hung drive too.
class DriveMounts {
public:
    virtual ~DriveMounts() = default;
    // What is mounted at root ("/", "/media/usb", "C:\") now; nullopt when no
    // filesystem is mounted there (its mount-point folder may still be there).
    virtual std::optional<DriveMount> mountAt(const std::string& root) = 0;
};

}  // namespace corvath
