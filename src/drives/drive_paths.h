#pragma once

#include <string>
#include <string_view>

namespace corvath {

// A drive root is its mount point with a trailing "/" ("/" stays "/"); a drive
// name is the mount point without it ("/", "/home"). Lists, the selection, the
// settings and the engine carry names; the platform lists roots.
//
// On Windows a root is a drive letter, a colon and a backslash ("C:\") and its
// name is the root with every "\" removed ("C:"); a name without a "\" gets one
// appended to be a root. Texts in the mount-point form keep the rule above there
// too, so the drive logic treats them alike on both systems.
std::string driveNameOfRoot(std::string_view root);
std::string rootOfDriveName(std::string_view name);

}  // namespace corvath
