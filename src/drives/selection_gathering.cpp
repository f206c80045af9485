#include "drives/selection_gathering.h"

#include "text/paths.h"
#include "drives/quiet_probe.h"

namespace corvath {

namespace {

constexpr const char* kLineBreak = "\n";

}  // namespace

bool collectCheckedDrives(const DriveList& list, VolumeLayer& volumes, const ShowInformation& showInformation,
                          std::vector<std::string>& driveSelection, bool& noDrivesSelected) {
    std::string inaccessibleList;
    int ticked = 0;
    int inaccessible = 0;
    std::size_t accessible = 0;

    const int count = list.count();
    for (int position = 0; position < count; ++position) {
        if (!list.isChecked(position)) {
            continue;
        }
        ++ticked;
        const std::string root = rootOfDriveName(list.driveName(position));
        if (probeQuietly(volumes, root) == ProbeOutcome::Inaccessible) {
            ++inaccessible;
            inaccessibleList += root;
            inaccessibleList += kLineBreak;
        } else {
            driveSelection.resize(accessible + 1);
            driveSelection[accessible] = driveNameOfRoot(root);
            ++accessible;
        }
    }

    if (accessible == 0) {
        noDrivesSelected = true;
    }
    if (inaccessibleList.empty()) {
        return true;
    }
    inaccessibleList.erase(inaccessibleList.rfind(kLineBreak));

    if (inaccessible == ticked) {
        showInformation(std::string("The selected drives are not accessible and cannot be analyzed: ") + kLineBreak +
                        inaccessibleList);
        return false;
    }
    showInformation(std::string("The following drives are not accessible and will not be analyzed: ") + kLineBreak +
                    inaccessibleList);
    return true;
}

std::uint64_t usedBytesOfDrive(VolumeLayer& volumes, const std::string& driveName) {
    DiskSpace space;
    if (!volumes.diskSpace(driveName, space)) {
        return 0;
    }
    // A filesystem never reports more free than total, but a broken driver could;
    // wrapping around would show an absurd size.
    return space.totalBytes >= space.totalFreeBytes ? space.totalBytes - space.totalFreeBytes : 0;
}

}  // namespace corvath
