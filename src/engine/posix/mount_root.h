#pragma once

#include <cstdint>
#include <optional>

namespace corvath {

// Whether the folder name in dirFd is the root of a mount, as the kernel marks
// it (statx, Linux 5.8); empty where the kernel does not tell. A folder on
// another device that is no mount root is a btrfs subvolume (or a ZFS or bcachefs
// one): part of this filesystem, to be entered.
std::optional<bool> isMountRoot(int dirFd, const char* name);

// The kernel's number for the mount an open folder is on; 0 where it does not tell.
std::uint64_t mountIdOf(int fd);

}  // namespace corvath
