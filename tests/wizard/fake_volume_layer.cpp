#include "wizard/fake_volume_layer.h"

namespace corvath::test {

namespace {

std::string nameOf(const std::string& nameOrRoot) {
    if (nameOrRoot.size() > 1 && nameOrRoot.back() == '/') {
        return nameOrRoot.substr(0, nameOrRoot.size() - 1);
    }
    return nameOrRoot;
}

std::string rootOf(const std::string& name) {
    return name == "/" ? name : name + "/";
}

}  // namespace

void FakeVolumeLayer::add(const std::string& name, std::uint64_t usedBytes, int type) {
    drives.push_back(Drive{name, usedBytes, type, true});
}

void FakeVolumeLayer::setUsedBytes(const std::string& name, std::uint64_t usedBytes) {
    if (Drive* drive = find(name)) {
        drive->usedBytes = usedBytes;
    }
}

FakeVolumeLayer::Drive* FakeVolumeLayer::find(const std::string& nameOrRoot) {
    const std::string name = nameOf(nameOrRoot);
    for (Drive& drive : drives) {
        if (drive.name == name) {
            return &drive;
        }
    }
    return nullptr;
}

std::string FakeVolumeLayer::driveRoots() {
    if (onListing) {
        onListing();
    }
    std::string roots;
    for (const Drive& drive : drives) {
        roots += rootOf(drive.name);
        roots.push_back('\0');
    }
    roots.push_back('\0');
    return roots;
}

bool FakeVolumeLayer::shellInfo(const std::string& root, ShellInfo& info) {
    const Drive* drive = find(root);
    if (drive == nullptr) {
        return false;
    }
    info.displayName = "Local Disk (" + drive->name + ")";
    info.iconName = "drive-harddisk";
    return true;
}

int FakeVolumeLayer::driveType(const std::string& driveName) {
    const Drive* drive = find(driveName);
    return drive != nullptr ? drive->type : drive_type::kNoRootDir;
}

ProbeOutcome FakeVolumeLayer::probe(const std::string& root) {
    const Drive* drive = find(root);
    return drive != nullptr && drive->readable ? ProbeOutcome::Readable : ProbeOutcome::Inaccessible;
}

bool FakeVolumeLayer::diskSpace(const std::string& driveName, DiskSpace& space) {
    const Drive* drive = find(driveName);
    if (drive == nullptr) {
        return false;
    }
    // Leaves free space so that used = total − free is the scripted count.
    space.totalBytes = drive->usedBytes + 4096;
    space.totalFreeBytes = 4096;
    return true;
}

}  // namespace corvath::test
