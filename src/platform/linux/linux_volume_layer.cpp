#include "platform/linux/linux_volume_layer.h"

#include "text/paths.h"
#include "platform/linux/block_device.h"
#include "platform/linux/drive_kind.h"
#include "platform/linux/volume_filter.h"
#include "platform/linux/volume_tags.h"

#include <utility>

namespace corvath {

LinuxVolumeLayer::LinuxVolumeLayer(LinuxVolumeOptions options)
    : options_(std::move(options)),
      probes_(options_.bound, options_.budget),
      space_(options_.bound, options_.budget) {}

std::optional<std::vector<MountEntry>> LinuxVolumeLayer::volumes() const {
    auto table = readMountTable(options_.mountInfoPath);
    if (!table) return std::nullopt;
    return listedVolumes(*table);
}

std::optional<MountEntry> LinuxVolumeLayer::volumeNamed(const std::string& driveName) const {
    const auto listed = volumes();
    if (!listed) return std::nullopt;
    const std::string name = driveNameOfRoot(driveName);
    for (const MountEntry& entry : *listed) {
        if (entry.mountPoint == name) return entry;
    }
    return std::nullopt;
}

std::string LinuxVolumeLayer::driveRoots() {
    const auto listed = volumes();
    if (!listed) return {};
    std::string roots;
    std::vector<std::string> each;
    for (const MountEntry& entry : *listed) {
        each.push_back(rootOfDriveName(entry.mountPoint));
        roots += each.back();
        roots.push_back('\0');
    }
    roots.push_back('\0');
    if (!options_.prefetchProbes) return roots;

    std::lock_guard lock(mutex_);
    std::map<std::string, std::shared_ptr<ProbeCall>> started;
    for (const std::string& root : each) {
        if (auto call = runningOrNewProbe(root)) started[root] = std::move(call);
    }
    prefetched_ = std::move(started);
    return roots;
}

bool LinuxVolumeLayer::shellInfo(const std::string& root, ShellInfo& info) {
    const auto entry = volumeNamed(root);
    if (!entry) return false;
    const auto device = backingBlockDevice(*entry, options_.sysfsRoot);
    const DriveKind kind = driveKindOf(*entry, device, options_.sysfsRoot);
    const std::string label = device ? volumeLabel(*device, options_.labelDir) : std::string();
    info.displayName = (label.empty() ? std::string(kindCaption(kind)) : label) + " (" + entry->mountPoint + ")";
    info.iconName = kindIcon(kind);
    return true;
}

int LinuxVolumeLayer::driveType(const std::string& driveName) {
    const auto listed = volumes();
    if (!listed) return drive_type::kUnknown;
    const std::string name = driveNameOfRoot(driveName);
    for (const MountEntry& entry : *listed) {
        if (entry.mountPoint == name) {
            return driveTypeCode(driveKindOf(entry, backingBlockDevice(entry, options_.sysfsRoot), options_.sysfsRoot));
        }
    }
    return drive_type::kNoRootDir;
}

std::shared_ptr<LinuxVolumeLayer::ProbeCall> LinuxVolumeLayer::runningOrNewProbe(const std::string& root) {
    const auto it = prefetched_.find(root);
    if (it != prefetched_.end() && !it->second->finished()) return it->second;
    auto work = [probeRoot = options_.probeRoot, root]() {
        try {
            return probeRoot(root);
        } catch (...) {
            return ProbeOutcome::OtherFailure;
        }
    };
    return probes_.runningOrStart(root, std::move(work));
}

ProbeOutcome LinuxVolumeLayer::probe(const std::string& root) {
    std::shared_ptr<ProbeCall> call;
    {
        std::lock_guard lock(mutex_);
        const auto it = prefetched_.find(root);
        if (it != prefetched_.end()) {
            // Each prefetched answer serves one probe; a later probe asks again.
            call = std::move(it->second);
            prefetched_.erase(it);
            if (call->finished() && Clock::now() - call->startedAt() > options_.prefetchLifetime) call.reset();
        }
        if (!call) call = runningOrNewProbe(root);
    }
    // No worker to be had: too many are stuck on hung mounts already. No answer
    // in time counts as a drive that cannot be read.
    if (!call) return ProbeOutcome::Inaccessible;
    return probes_.answer(root, call).value_or(ProbeOutcome::Inaccessible);
}

bool LinuxVolumeLayer::diskSpace(const std::string& driveName, DiskSpace& space) {
    space = DiskSpace{};
    auto work = [query = options_.queryDiskSpace, driveName]() -> std::optional<DiskSpace> {
        DiskSpace answer;
        try {
            if (query(driveName, answer)) return answer;
        } catch (...) {
        }
        return std::nullopt;
    };
    const auto answer = space_.ask(driveName, std::move(work));
    if (!answer || !*answer) return false;
    space = **answer;
    return true;
}

}  // namespace corvath
