#pragma once

#include <ctime>
#include <string>

namespace corvath {

// The freedesktop.org trash's record of one trashed item.

// A path as a .trashinfo holds it: every byte but letters, digits, "-_.~"
// and "/" as %XX, so that any name (UTF-8 or not) comes back unchanged.
std::string percentEncoded(const std::string& path);

// "[Trash Info]", Path= and DeletionDate= in local time (YYYY-MM-DDThh:mm:ss).
std::string trashInfoText(const std::string& path, std::time_t deleted);

// The n-th name tried for an item in files/ and info/: NAME, NAME.2, NAME.3 ...,
// cut so that the record's name (with ".trashinfo") fits in a file name.
std::string trashEntryName(const std::string& name, unsigned n);

}  // namespace corvath
