#pragma once

#include "app/file_manager.h"

#include <string>
#include <vector>

namespace corvath {

// Opens the file manager on the first drive of the selection; nothing when the
// selection is empty or its first entry is the empty text.
void launchExplorer(const std::vector<std::string>& driveSelection, FileManager& fileManager);

}  // namespace corvath
