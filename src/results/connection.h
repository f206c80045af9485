#pragma once

#include <string>

#include "sqlite/connection.h"

namespace corvath {

// One SQLite connection to the scans database; every failure becomes a
// ResultsError that names the file.
class Connection : public sqlite::Connection {
public:
    // Opens an existing file; never follows a symbolic link. Failures name the
    // file as shown (the path the user knows it by), the file itself if empty.
    Connection(const std::string& file, Mode mode, const std::string& shown = {});
};

using Statement = sqlite::Statement;

}  // namespace corvath
