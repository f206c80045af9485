#pragma once

#include "drives/volume_layer.h"
#include "platform/shared/bounded_call.h"
#include "platform/shared/bounded_queries.h"
#include "platform/linux/directory_probe.h"
#include "platform/linux/disk_space.h"
#include "platform/linux/mount_table.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace corvath {

struct LinuxVolumeOptions {
    std::string mountInfoPath = "/proc/self/mountinfo";
    std::string sysfsRoot = "/sys";
    std::string labelDir = "/dev/disk/by-label";
    // The longest a probe or a disk-space query may keep a caller waiting.
    std::chrono::milliseconds bound = kDriveQueryBound;
    // How long a finished probe started by driveRoots() stays good for probe().
    std::chrono::milliseconds prefetchLifetime{10000};
    // Off for a run that never probes (the unattended run): starting the probes
    // would touch every drive, hung ones too, for answers no one reads.
    bool prefetchProbes = true;
    std::shared_ptr<WorkerBudget> budget = processWorkerBudget();
    // The blocking queries run on the bounded workers.
    std::function<ProbeOutcome(const std::string& root)> probeRoot = probeDirectory;
    std::function<bool(const std::string& path, DiskSpace& space)> queryDiskSpace = statvfsDiskSpace;
};

// The drives of a Linux system: the mounts of the kernel's mount table that
// hold user data, each filesystem once. Only probe() and diskSpace() touch the
// filesystems themselves, each under the bound. driveRoots() starts the probes
// of all listed drives at once (unless told not to), so that probing them one after another costs
// at most one bound in all, however many of them hang. A probe or query still
// unanswered is waited on rather than repeated (BoundedQueries).
class LinuxVolumeLayer final : public VolumeLayer {
public:
    explicit LinuxVolumeLayer(LinuxVolumeOptions options = {});

    std::string driveRoots() override;
    bool shellInfo(const std::string& root, ShellInfo& info) override;
    int driveType(const std::string& driveName) override;
    ProbeOutcome probe(const std::string& root) override;
    bool diskSpace(const std::string& driveName, DiskSpace& space) override;

private:
    using ProbeCall = BoundedCall<ProbeOutcome>;

    std::optional<std::vector<MountEntry>> volumes() const;
    std::optional<MountEntry> volumeNamed(const std::string& driveName) const;
    // A probe of root still running, from driveRoots() or from an earlier
    // probe, else a new one; null when the budget is spent. Needs mutex_.
    std::shared_ptr<ProbeCall> runningOrNewProbe(const std::string& root);

    LinuxVolumeOptions options_;
    BoundedQueries<ProbeOutcome> probes_;
    BoundedQueries<std::optional<DiskSpace>> space_;
    std::mutex mutex_;
    std::map<std::string, std::shared_ptr<ProbeCall>> prefetched_;
};

}  // namespace corvath
