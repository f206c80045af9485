#pragma once

#include "drives/volume_layer.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace corvath::test {

// A drive table in memory. Drives are given by name ("/", "/data"); roots and
// names are both accepted wherever the layer is asked about a drive.
class FakeVolumeLayer : public VolumeLayer {
public:
    struct Drive {
        std::string name;
        std::uint64_t usedBytes = 0;
        int type = drive_type::kFixed;
        bool readable = true;
    };

    void add(const std::string& name, std::uint64_t usedBytes, int type = drive_type::kFixed);
    void setUsedBytes(const std::string& name, std::uint64_t usedBytes);

    std::string driveRoots() override;
    bool shellInfo(const std::string& root, ShellInfo& info) override;
    int driveType(const std::string& driveName) override;
    ProbeOutcome probe(const std::string& root) override;
    bool diskSpace(const std::string& driveName, DiskSpace& space) override;

    // Runs inside driveRoots(), while the drive list is being filled.
    std::function<void()> onListing;
    std::vector<Drive> drives;

private:
    Drive* find(const std::string& nameOrRoot);
};

}  // namespace corvath::test
