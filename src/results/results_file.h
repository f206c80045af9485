#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "results/connection.h"

namespace corvath {

// "CRVS": marks the file as our scans database.
inline constexpr std::int64_t kResultsApplicationId = 0x43525653;
inline constexpr std::int64_t kResultsSchemaVersion = 2;

enum class ResultsAccess { Read, Write };

// Opens the scans database at path. Refuses, with a ResultsError and without
// writing a byte, a symbolic link, anything that is not a regular file, and a
// file that is not ours (another SQLite database, not SQLite at all, or ours
// from a newer version). Our first version's file is converted in one
// transaction. A missing file is made when writing (with its folder) and is
// NoResultsYet when reading. Waits up to lockWait for another writer.
std::unique_ptr<Connection> openResultsFile(const std::string& path, ResultsAccess access,
                                            std::chrono::milliseconds lockWait);

// Converts our first version's tables (full paths per folder row) into the
// current ones, inside the caller's write transaction.
void migrateFirstVersion(Connection& db);

}  // namespace corvath
