#include "platform/linux/volume_tags.h"

#include <blkid.h>
#include <filesystem>
#include <memory>
#include <sys/stat.h>

namespace corvath {

namespace fs = std::filesystem;

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The name of the udev link in linkDir (/dev/disk/by-label, by-uuid) that
// points at the device; empty when none does.
std::string linkNaming(dev_t number, const std::string& linkDir) {
    std::error_code error;
    fs::directory_iterator it(linkDir, error);
    if (error) return {};
    for (const fs::directory_entry& link : it) {
        struct stat target {};
        if (::stat(link.path().c_str(), &target) == 0 && S_ISBLK(target.st_mode) && target.st_rdev == number) {
            return decodeUdevName(link.path().filename().string());
        }
    }
    return {};
}

struct ProbeDeleter {
    void operator()(blkid_struct_probe* probe) const { blkid_free_probe(probe); }
};

// A tag ("LABEL", "UUID") read from the filesystem's superblock; needs read
// access to the device, so it serves where udev keeps no links.
std::string superblockTag(const std::string& node, const char* tag) {
    if (node.empty()) return {};
    std::unique_ptr<blkid_struct_probe, ProbeDeleter> probe(blkid_new_probe_from_filename(node.c_str()));
    if (!probe) return {};
    blkid_probe_enable_superblocks(probe.get(), 1);
    blkid_probe_set_superblocks_flags(probe.get(), BLKID_SUBLKS_LABEL | BLKID_SUBLKS_UUID);
    if (blkid_do_safeprobe(probe.get()) != 0) return {};
    const char* value = nullptr;
    std::size_t length = 0;
    if (blkid_probe_lookup_value(probe.get(), tag, &value, &length) != 0 || value == nullptr) return {};
    // The length counts the terminating NUL.
    return std::string(value);
}

}  // namespace

std::string decodeUdevName(std::string_view name) {
    std::string decoded;
    decoded.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
            const int high = hexDigit(name[i + 2]);
            const int low = hexDigit(name[i + 3]);
            if (high >= 0 && low >= 0) {
                decoded.push_back(static_cast<char>(high * 16 + low));
                i += 3;
                continue;
            }
        }
        decoded.push_back(name[i]);
    }
    return decoded;
}

std::string volumeLabel(const BlockDevice& device, const std::string& labelDir) {
    std::string label = linkNaming(device.number, labelDir);
    if (label.empty()) label = superblockTag(device.node, "LABEL");
    return label;
}

std::string volumeUuid(const BlockDevice& device, const std::string& uuidDir) {
    std::string uuid = linkNaming(device.number, uuidDir);
    if (uuid.empty()) uuid = superblockTag(device.node, "UUID");
    return uuid;
}

}  // namespace corvath
