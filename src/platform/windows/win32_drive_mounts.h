#pragma once

#include "engine/drive_mounts.h"

namespace corvath {

// What the mount manager says of a drive root ("C:\"): whether a volume is
// there, and its volume GUID path, which stays with the volume when its letter
// changes. Asks the mount manager only, never the volume itself.
class Win32DriveMounts final : public DriveMounts {
public:
    std::optional<DriveMount> mountAt(const std::string& root) override;
};

}  // namespace corvath
