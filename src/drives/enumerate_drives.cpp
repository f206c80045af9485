#include "drives/enumerate_drives.h"

#include "text/paths.h"
#include "drives/quiet_probe.h"
#include "text/ascii_case.h"

#include <algorithm>

namespace corvath {

namespace {

bool isSaved(const SavedSelection& saved, const std::string& driveName) {
    return std::any_of(saved.entries.begin(), saved.entries.end(),
                       [&](const std::string& entry) { return equalsIgnoringCase(entry, driveName); });
}

}  // namespace

void enumerateDrives(VolumeLayer& volumes, DriveList* list, const SavedSelection& saved,
                     std::vector<std::string>& driveSelection, bool& noDrivesSelected) {
    driveSelection.assign(1, std::string());
    std::size_t appended = 0;

    // The roots come NUL-separated; one more NUL closes the buffer so that a list
    // missing its own closing NUL still ends.
    std::string buffer = volumes.driveRoots();
    buffer.push_back('\0');

    if (list != nullptr) {
        list->clear();
    }

    std::size_t position = 0;
    bool more = true;
    while (more && position < buffer.size()) {
        std::string root;
        const std::size_t nul = buffer.find('\0', position);
        if (nul == std::string::npos) {
            root = buffer.substr(position);
            more = false;
        } else {
            root = buffer.substr(position, nul - position);
            position = nul + 1;
        }
        if (root.empty()) {
            break;
        }

        // The unattended run shows no name or icon, and describing a drive may read
        // its device: it only leaves out a drive that is gone.
        const std::string name = driveNameOfRoot(root);
        ShellInfo info;
        if (list != nullptr ? !volumes.shellInfo(root, info) : volumes.driveType(name) == drive_type::kNoRootDir) {
            continue;
        }

        int item = -1;
        if (list != nullptr) {
            item = list->addItem(info.displayName) - 1;
            list->setIcon(item, info.iconName);
            list->setDriveName(item, name);
        }

        // Only the list shows whether a drive can be read. The unattended run never
        // asks: a probe of a drive it will not analyze could hang on it.
        if (list != nullptr && probeQuietly(volumes, root) == ProbeOutcome::Inaccessible) {
            list->setInaccessible(item);
        }

        const int type = volumes.driveType(name);
        const bool chosen = saved.present ? isSaved(saved, name) : type == drive_type::kFixed;
        if (!chosen) {
            continue;
        }
        if (list != nullptr) {
            list->setChecked(list->count() - 1, true);
        } else {
            driveSelection.resize(appended + 1);
            driveSelection[appended] = name;
            ++appended;
        }
    }

    if (appended == 0) {
        noDrivesSelected = true;
    }
}

}  // namespace corvath
