#pragma once

#include <cstdio>

#include "engine/folder_walk.h"

namespace corvath {

// The totals a scan prints, one "name: value" per line; false when they could
// not be written.
bool printScanSummary(std::FILE* out, const WalkTotals& totals, double seconds);

}  // namespace corvath
