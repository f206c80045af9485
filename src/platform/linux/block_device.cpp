#include "platform/linux/block_device.h"

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace corvath {

namespace fs = std::filesystem;

std::string readSysfsAttribute(const std::string& file) {
    std::ifstream in(file);
    std::string line;
    if (!in || !std::getline(in, line)) return {};
    while (!line.empty() && (line.back() == '\n' || line.back() == ' ')) line.pop_back();
    return line;
}

std::optional<BlockDevice> backingBlockDevice(const MountEntry& entry, const std::string& sysfsRoot) {
    BlockDevice device;
    struct stat node {};
    if (!entry.source.empty() && entry.source.front() == '/' && ::stat(entry.source.c_str(), &node) == 0 &&
        S_ISBLK(node.st_mode)) {
        device.number = node.st_rdev;
        device.node = entry.source;
    } else if (major(entry.device) != 0) {
        // Anonymous devices (major 0) belong to tmpfs, network and the like.
        device.number = entry.device;
    } else {
        return std::nullopt;
    }

    const std::string link = sysfsRoot + "/dev/block/" + std::to_string(major(device.number)) + ":" +
                             std::to_string(minor(device.number));
    std::error_code error;
    fs::path folder = fs::canonical(link, error);
    if (error) return std::nullopt;
    // A partition's folder sits inside its disk's folder and holds a "partition" file.
    if (fs::exists(folder / "partition", error)) folder = folder.parent_path();
    device.diskName = folder.filename().string();
    device.diskSysfs = folder.string();
    if (device.node.empty()) {
        const fs::path candidate = fs::path("/dev") / fs::canonical(link, error).filename();
        struct stat info {};
        if (!error && ::stat(candidate.c_str(), &info) == 0 && S_ISBLK(info.st_mode) &&
            info.st_rdev == device.number) {
            device.node = candidate.string();
        }
    }
    return device;
}

}  // namespace corvath
