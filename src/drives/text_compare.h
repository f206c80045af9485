#pragma once

#include <string_view>

namespace corvath {

// Drive names and fixed words compare without regard to ASCII case.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace corvath
