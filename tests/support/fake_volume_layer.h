#pragma once

#include "drives/volume_layer.h"

#include <string>
#include <vector>

namespace corvath::test {

// A drive table for tests: roots listed in order, each with what the platform
// would answer about it. Records the probes and descriptions asked for.
class FakeVolumeLayer : public VolumeLayer {
public:
    struct Drive {
        std::string root;
        int type = drive_type::kFixed;
        ProbeOutcome probe = ProbeOutcome::Readable;
        bool shellInfoFails = false;
        DiskSpace space{};
        bool spaceFails = false;
    };

    std::vector<Drive> drives;
    bool omitClosingNul = false;
    std::vector<std::string> probed;
    std::vector<std::string> described;  // roots asked for their shell info

    Drive& add(const std::string& root, int type = drive_type::kFixed);

    std::string driveRoots() override;
    bool shellInfo(const std::string& root, ShellInfo& info) override;
    int driveType(const std::string& driveName) override;
    ProbeOutcome probe(const std::string& root) override;
    bool diskSpace(const std::string& driveName, DiskSpace& space) override;

private:
    const Drive* findRoot(const std::string& root) const;
    const Drive* findName(const std::string& name) const;
};

}  // namespace corvath::test
