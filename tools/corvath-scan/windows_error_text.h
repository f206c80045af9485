#pragma once

#include <string>

namespace corvath {

// The system's text for a Windows error code, in UTF-8, without the closing
// period and line break ("Access denied").
std::string windowsErrorText(unsigned long error);

}  // namespace corvath
