#include "run/file_manager.h"

#include "text/paths.h"

namespace corvath {

void launchExplorer(const std::vector<std::string>& driveSelection, FileManager& fileManager) {
    if (driveSelection.empty() || driveSelection.front().empty()) {
        return;
    }
    // Nothing is reported if the file manager cannot be started.
    try {
        fileManager.open(rootOfDriveName(driveSelection.front()));
    } catch (...) {
    }
}

}  // namespace corvath
