#pragma once

#include "drives/volume_layer.h"

namespace corvath {

// The drives as Windows lists them: roots "C:\" from GetLogicalDriveStringsA,
// names and icons from the shell, the drive type, a directory listing as the
// accessibility probe and the volume's space. The icon is the index into the
// system small image list, as decimal text.
class Win32VolumeLayer : public VolumeLayer {
public:
    std::string driveRoots() override;
    bool shellInfo(const std::string& root, ShellInfo& info) override;
    int driveType(const std::string& driveName) override;
    ProbeOutcome probe(const std::string& root) override;
    bool diskSpace(const std::string& driveName, DiskSpace& space) override;
};

// What a failed FindFirstFileA on a root means for the drive: 52 (the name
// cannot be used), 21 (not ready, Windows' "no medium") and 3 (path not found,
// what Wine answers for a drive with no medium) make it inaccessible; any other
// code is some other failure. 0 is no failure.
ProbeOutcome probeOutcomeOfFindError(unsigned long error);

}  // namespace corvath
