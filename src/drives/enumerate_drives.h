#pragma once

#include "drives/drive_list.h"
#include "drives/volume_layer.h"
#include "settings/analyzer_settings.h"

#include <string>
#include <vector>

namespace corvath {


// Walks the drives once in platform order. With a list (interactive run) it fills
// the list and ticks the chosen drives; without one (unattended run) it appends the
// chosen drives to driveSelection. Chosen: the saved drives when a selection is
// saved, else every fixed drive. Sets noDrivesSelected when nothing was appended.
// Without a list no drive is probed or described.
void enumerateDrives(VolumeLayer& volumes, DriveList* list, const SavedSelection& saved,
                     std::vector<std::string>& driveSelection, bool& noDrivesSelected);

}  // namespace corvath
