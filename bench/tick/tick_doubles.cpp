#include "tick_doubles.h"

namespace corvath::bench {

std::string OneDrive::driveRoots() { return std::string(kName) + "/" + std::string(2, '\0'); }

bool OneDrive::shellInfo(const std::string&, ShellInfo& info) {
    info.displayName = "Local Disk (/bench)";
    info.iconName = "drive-harddisk";
    return true;
}

int OneDrive::driveType(const std::string&) { return drive_type::kFixed; }

ProbeOutcome OneDrive::probe(const std::string&) { return ProbeOutcome::Readable; }

bool OneDrive::diskSpace(const std::string&, DiskSpace& space) {
    space.totalBytes = InstantEngine::kUsedBytes + 4096;
    space.totalFreeBytes = 4096;
    return true;
}

InstantEngine::InstantEngine() {
    // Folders of 20 characters under the drive, cut to exactly 250.
    folder_ = OneDrive::kName;
    for (int level = 0; folder_.size() < 250; ++level) {
        folder_ += "/folder-level-" + std::to_string(100000 + level);
    }
    folder_.resize(250);
}

void InstantEngine::AnalyzeDrive(const std::string&) {
    if (during) during();
}

std::string InstantEngine::GetStatusText() {
    // The last character changes with every read, so no tick finds the label
    // already showing its text.
    std::string folder = folder_;
    folder.back() = static_cast<char>('a' + reads_ % 26);
    return folder + "/|" + std::to_string(1000 + reads_) + " files, 250 folders scanned";
}

std::string InstantEngine::GetProcessedBytesText() {
    ++reads_;
    return std::to_string(reads_ * (kUsedBytes / 100000));
}

}  // namespace corvath::bench
