#pragma once

#include "platform/linux/mount_table.h"

#include <string_view>
#include <vector>

namespace corvath {

// True for kernel and pseudo filesystems that hold no user data (proc, sysfs,
// cgroup, devpts, ...). tmpfs, ramfs and overlay are data filesystems here,
// although libmount counts them as pseudo.
bool isPseudoFilesystem(const MountEntry& entry);

// True for mount points inside /proc, /sys, /dev or /run (those folders
// included), except /run/media and what lies under it.
bool isSystemMountPoint(std::string_view mountPoint);

// True for an overlay or FUSE mount that belongs to a container runtime, a snap
// or an application image: one under the runtimes' and snaps' folders
// (/var/lib/docker, /var/lib/containers, /var/lib/containerd, /var/lib/lxc,
// /var/lib/kubelet, /snap, /var/snap, a home's .local/share/containers), an
// AppImage's /tmp/.mount_*, or of a type that mounts nothing else
// (fuse-overlayfs, squashfuse). They hold no data of the user's own, and each
// reports its host's size.
bool isContainerOrImageMount(const MountEntry& entry);

// The mounts that count as drives, in table order: pseudo filesystems,
// read-only squashfs images, system mount points, container and image mounts
// and mounts of a single file left out, and each filesystem once. A later mount is the same filesystem as
// a listed one when it has the same device number and its subtree lies inside
// the listed one's (a bind mount of the whole filesystem or of a folder of it).
// A mount over an earlier mount point hides it and takes its place.
std::vector<MountEntry> listedVolumes(const std::vector<MountEntry>& table);

}  // namespace corvath
