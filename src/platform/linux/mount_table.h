#pragma once

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace corvath {

// One line of the kernel's mount table, as libmount parses it (escapes undone).
struct MountEntry {
    int id = 0;             // the kernel's mount ID (what statx calls stx_mnt_id)
    std::string mountPoint; // "/", "/home", "/media/usb stick"
    std::string fsType;     // "ext4", "tmpfs", "fuse.sshfs"
    std::string source;     // "/dev/sda1", "server:/export", "tmpfs"
    std::string fsRoot;     // the folder of the filesystem mounted here: "/" or a bind's subfolder
    dev_t device = 0;       // the filesystem's st_dev (major:minor of the table)
    bool readOnly = false;  // the mount or the superblock is read-only
    bool pseudo = false;    // libmount counts the type as a pseudo filesystem
    bool network = false;   // libmount counts the type as a network filesystem
};

// Reads a mountinfo file (normally /proc/self/mountinfo) in its order. Empty
// optional when the file cannot be read or parsed.
std::optional<std::vector<MountEntry>> readMountTable(const std::string& mountInfoPath);

}  // namespace corvath
