#include "standard_output_bytes.h"

namespace corvath {

void keepStandardOutputBytes() {}  // no text mode to leave

}  // namespace corvath
