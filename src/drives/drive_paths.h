#pragma once

#include <string>
#include <string_view>

namespace corvath {

// A drive root is its mount point with a trailing "/" ("/" stays "/"); a drive
// name is the mount point without it ("/", "/home"). Lists, the selection, the
// settings and the engine carry names; the platform lists roots.
std::string driveNameOfRoot(std::string_view root);
std::string rootOfDriveName(std::string_view name);

}  // namespace corvath
