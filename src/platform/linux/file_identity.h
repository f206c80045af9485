#pragma once

#include <cstdint>
#include <optional>
#include <sys/types.h>

namespace corvath {

// What statx says of one entry, as the trash compares entries: which file it
// is, what kind, whose, how big, and on which mount.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    mode_t mode = 0;
    uid_t owner = 0;
    std::uint64_t allocated = 0;  // st_blocks x 512
    std::uint64_t mountId = 0;    // 0 where the kernel does not tell
    bool mountRoot = false;       // the top folder of a mount

    bool folder() const;
    bool link() const;
    bool sameFile(const FileIdentity& other) const { return device == other.device && inode == other.inode; }
    // A rename works only within one mount: the mount ID where the kernel
    // gives it, else the device.
    bool sameMount(const FileIdentity& other) const;
};

// The entry `name` in the folder `at`, the link itself were it one; with an
// empty name, the descriptor itself (an O_PATH descriptor too).
std::optional<FileIdentity> identify(int at, const char* name = "");

}  // namespace corvath
