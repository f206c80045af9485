#pragma once

#include <chrono>
#include <memory>
#include <optional>

#include "drives/volume_layer.h"
#include "platform/shared/bounded_call.h"
#include "platform/shared/bounded_queries.h"

namespace corvath {

// The drives as Windows lists them: roots "C:\" from GetLogicalDriveStringsA,
// names and icons from the shell, the drive type, a directory listing as the
// accessibility probe and the volume's space. The icon is the index into the
// system small image list, as decimal text. The probe and the space query wait
// at most `bound` for a drive that does not answer (a hung network drive), on a
// worker that is left behind if it never returns; a query still unanswered is
// waited on rather than repeated (BoundedQueries).
class Win32VolumeLayer : public VolumeLayer {
public:
    explicit Win32VolumeLayer(std::chrono::milliseconds bound = kDriveQueryBound,
                              std::shared_ptr<WorkerBudget> budget = processWorkerBudget())
        : probes_(bound, budget), space_(bound, budget) {}

    std::string driveRoots() override;
    bool shellInfo(const std::string& root, ShellInfo& info) override;
    int driveType(const std::string& driveName) override;
    ProbeOutcome probe(const std::string& root) override;
    bool diskSpace(const std::string& driveName, DiskSpace& space) override;

private:
    BoundedQueries<ProbeOutcome> probes_;
    BoundedQueries<std::optional<DiskSpace>> space_;
};

// The unbounded calls behind probe() and diskSpace().
ProbeOutcome probeRoot(const std::string& root);
bool queryDiskSpace(const std::string& driveName, DiskSpace& space);

// What a failed FindFirstFileA on a root means for the drive. Inaccessible: 52
// (the name cannot be used), 21 (not ready, Windows' "no medium"), 3 (path not
// found, what Wine answers for a drive with no medium), 5 (access denied), 53,
// 64 and 67 (a network path or share that is missing or dropped), 1117 (an I/O
// error, as on Linux), and Wine's
// 31, 123 and 998 for a host folder it cannot read. Any other code is some
// other failure; 0 is no failure.
ProbeOutcome probeOutcomeOfFindError(unsigned long error);

}  // namespace corvath
