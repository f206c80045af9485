#include "platform/linux/linux_volume_layer.h"

#include "text/paths.h"
#include "platform/linux/block_device.h"
#include "platform/linux/drive_kind.h"
#include "platform/linux/volume_filter.h"
#include "platform/linux/volume_tags.h"

#include <utility>

namespace corvath {

namespace {

template <typename Map>
void eraseFinished(Map& calls) {
    for (auto it = calls.begin(); it != calls.end();) {
        it = it->second->finished() ? calls.erase(it) : std::next(it);
    }
}

}  // namespace

LinuxVolumeLayer::LinuxVolumeLayer(LinuxVolumeOptions options) : options_(std::move(options)) {}

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
    forgetFinished();
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

void LinuxVolumeLayer::forgetFinished() {
    eraseFinished(unansweredProbes_);
    eraseFinished(unansweredSpace_);
}

std::shared_ptr<LinuxVolumeLayer::ProbeCall> LinuxVolumeLayer::runningOrNewProbe(const std::string& root) {
    for (auto* calls : {&unansweredProbes_, &prefetched_}) {
        const auto it = calls->find(root);
        if (it != calls->end() && !it->second->finished()) return it->second;
    }
    auto work = [probeRoot = options_.probeRoot, root]() {
        try {
            return probeRoot(root);
        } catch (...) {
            return ProbeOutcome::OtherFailure;
        }
    };
    return ProbeCall::start(std::move(work), options_.budget);
}

ProbeOutcome LinuxVolumeLayer::probe(const std::string& root) {
    std::shared_ptr<ProbeCall> call;
    {
        std::lock_guard lock(mutex_);
        forgetFinished();
        const auto it = prefetched_.find(root);
        if (it != prefetched_.end()) {
            // Each prefetched answer serves one probe; a later probe asks again.
            call = std::move(it->second);
            prefetched_.erase(it);
            if (call->finished() && Clock::now() - call->startedAt() > options_.prefetchLifetime) call.reset();
        }
        if (!call) call = runningOrNewProbe(root);
    }
    // No worker to be had: too many are stuck on hung mounts already.
    if (!call) return ProbeOutcome::Inaccessible;

    // The bound runs from the start of the probe, so a drive probed in advance
    // has had its time already, and a drive hung since an earlier probe answers
    // at once.
    const auto outcome = call->waitUntil(call->startedAt() + options_.bound);
    if (outcome) return *outcome;
    std::lock_guard lock(mutex_);
    unansweredProbes_[root] = call;
    return ProbeOutcome::Inaccessible;
}

bool LinuxVolumeLayer::diskSpace(const std::string& driveName, DiskSpace& space) {
    space = DiskSpace{};
    std::shared_ptr<SpaceCall> call;
    {
        std::lock_guard lock(mutex_);
        forgetFinished();
        const auto it = unansweredSpace_.find(driveName);
        if (it != unansweredSpace_.end()) {
            call = it->second;
        } else {
            auto work = [query = options_.queryDiskSpace, driveName]() -> std::optional<DiskSpace> {
                DiskSpace answer;
                try {
                    if (query(driveName, answer)) return answer;
                } catch (...) {
                }
                return std::nullopt;
            };
            call = SpaceCall::start(std::move(work), options_.budget);
        }
    }
    if (!call) return false;
    const auto answer = call->waitUntil(call->startedAt() + options_.bound);
    if (!answer) {
        std::lock_guard lock(mutex_);
        unansweredSpace_[driveName] = call;
        return false;
    }
    if (!*answer) return false;
    space = **answer;
    return true;
}

}  // namespace corvath
