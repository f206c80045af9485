#pragma once

#include "drives/volume_layer.h"

#include <string>

namespace corvath {

// The accessibility probe as the drive logic runs it: a probe that throws must
// never stop a walk over the drives, and counts as an outcome other than
// "cannot be read".
inline ProbeOutcome probeQuietly(VolumeLayer& volumes, const std::string& root) {
    try {
        return volumes.probe(root);
    } catch (...) {
        return ProbeOutcome::OtherFailure;
    }
}

}  // namespace corvath
