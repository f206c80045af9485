#pragma once

#include <string>

namespace corvath {

// Where completed scans are stored: $XDG_DATA_HOME/corvath/scans.db, else
// ~/.local/share/corvath/scans.db ($HOME, else the user database's home).
std::string defaultResultsDatabasePath();

}  // namespace corvath
