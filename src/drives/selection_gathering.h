#pragma once

#include "drives/drive_list.h"
#include "drives/volume_layer.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace corvath {

// Tells the user something in an information box centred on the wizard.
using ShowInformation = std::function<void(const std::string& text)>;

// Turns the ticked, readable drives of the list into driveSelection, in list order,
// and tells the user in one message about ticked drives that cannot be read.
// False when every ticked drive is unreadable. Sets noDrivesSelected when no
// readable drive is ticked; leaves driveSelection as it was then.
bool collectCheckedDrives(const DriveList& list, VolumeLayer& volumes, const ShowInformation& showInformation,
                          std::vector<std::string>& driveSelection, bool& noDrivesSelected);

// Used bytes of the filesystem holding the drive: total minus free, exact; 0 when
// the query fails.
std::uint64_t usedBytesOfDrive(VolumeLayer& volumes, const std::string& driveName);

}  // namespace corvath
