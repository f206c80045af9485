#pragma once

#include <cstdint>

namespace corvath {

// The bars never pass this value while a run is going; only the finish shows 100.
inline constexpr int kRunningBarCap = 97;

// part / whole × 100 in double precision, rounded half to even, held in 16 bits
// and kept within 0 to 100. A whole of 0 (a drive whose used space could not be
// measured) gives 0.
std::int16_t progressPercent(double part, double whole);

// The value a bar shows for a percentage while the run is going.
int runningBarValue(std::int16_t percent);

}  // namespace corvath
