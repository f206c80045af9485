#pragma once

#include "engine/drive_mounts.h"

#include <string>

namespace corvath {

struct LinuxDriveMountsOptions {
    std::string mountInfoPath = "/proc/self/mountinfo";
    std::string sysfsRoot = "/sys";
    std::string uuidDir = "/dev/disk/by-uuid";
};

// What is mounted where, from the kernel's mount table: the topmost mount at a
// path, and the UUID of the filesystem on its block device (from udev's links,
// else its superblock). Reads the table, /dev and sysfs, never the mounted
// filesystem.
class LinuxDriveMounts final : public DriveMounts {
public:
    explicit LinuxDriveMounts(LinuxDriveMountsOptions options = {}) : options_(std::move(options)) {}
    std::optional<DriveMount> mountAt(const std::string& root) override;

private:
    LinuxDriveMountsOptions options_;
};

}  // namespace corvath
