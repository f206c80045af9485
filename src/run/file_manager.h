#pragma once

#include <string>
#include <vector>

namespace corvath {

// Starts the desktop's file manager on a folder; the outcome is not examined.
class FileManager {
public:
    virtual ~FileManager() = default;
    virtual void open(const std::string& root) = 0;
};

// Opens the file manager on the first drive of the selection; nothing when the
// selection is empty or its first entry is the empty text.
void launchExplorer(const std::vector<std::string>& driveSelection, FileManager& fileManager);

}  // namespace corvath
