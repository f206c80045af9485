#pragma once

#include "drives/volume_layer.h"

#include <string>

namespace corvath {

// Opens the folder and reads its first entry. Blocks as long as the filesystem
// does: run it through a bounded call.
ProbeOutcome probeDirectory(const std::string& root);

// How a failed open or read counts: the errors that mean the drive cannot be
// read (no medium, I/O error, no permission, stale or disconnected network
// filesystem, vanished mount point, unreachable host) give Inaccessible.
ProbeOutcome probeOutcomeOfError(int error);

}  // namespace corvath
