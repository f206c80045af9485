#include "support/fake_volume_layer.h"

#include "text/paths.h"

namespace corvath::test {

FakeVolumeLayer::Drive& FakeVolumeLayer::add(const std::string& root, int type) {
    Drive drive;
    drive.root = root;
    drive.type = type;
    drives.push_back(drive);
    return drives.back();
}

std::string FakeVolumeLayer::driveRoots() {
    std::string roots;
    for (const Drive& drive : drives) {
        roots += drive.root;
        roots += '\0';
    }
    if (omitClosingNul && !roots.empty()) {
        roots.pop_back();
    } else {
        roots += '\0';
    }
    return roots;
}

bool FakeVolumeLayer::shellInfo(const std::string& root, ShellInfo& info) {
    described.push_back(root);
    const Drive* drive = findRoot(root);
    if (drive == nullptr || drive->shellInfoFails) {
        return false;
    }
    info.displayName = "Disk (" + driveNameOfRoot(root) + ")";
    info.iconName = drive->type == drive_type::kFixed ? "drive-harddisk" : "drive-removable-media";
    return true;
}

int FakeVolumeLayer::driveType(const std::string& driveName) {
    const Drive* drive = findName(driveName);
    return drive == nullptr ? drive_type::kNoRootDir : drive->type;
}

ProbeOutcome FakeVolumeLayer::probe(const std::string& root) {
    probed.push_back(root);
    const Drive* drive = findRoot(root);
    return drive == nullptr ? ProbeOutcome::Inaccessible : drive->probe;
}

bool FakeVolumeLayer::diskSpace(const std::string& driveName, DiskSpace& space) {
    const Drive* drive = findName(driveName);
    if (drive == nullptr || drive->spaceFails) {
        return false;
    }
    space = drive->space;
    return true;
}

const FakeVolumeLayer::Drive* FakeVolumeLayer::findRoot(const std::string& root) const {
    for (const Drive& drive : drives) {
        if (drive.root == root) {
            return &drive;
        }
    }
    return nullptr;
}

const FakeVolumeLayer::Drive* FakeVolumeLayer::findName(const std::string& name) const {
    return findRoot(rootOfDriveName(name));
}

}  // namespace corvath::test
