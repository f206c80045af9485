#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "results/connection.h"

namespace corvath {

// "CRVS": marks the file as our scans database.
inline constexpr std::int64_t kResultsApplicationId = 0x43525653;
inline constexpr std::int64_t kResultsSchemaVersion = 4;

enum class ResultsAccess { Read, Write };

// Opens the scans database at path. Refuses, with a ResultsError and without
// writing a byte, a symbolic link, anything that is not a regular file, and a
// file that is not ours (another SQLite database, not SQLite at all, or ours
// from a newer version). The folders above it may be links.
//
// Writing: an older file of ours is converted in one transaction; a missing
// file is made (with its folders), for its owner only. A file of another user,
// or one in a folder that other users may write to, is refused. Waits up to
// lockWait for another writer.
//
// Reading writes nothing: it works on a read-only or full filesystem and on a
// file the user may only read. A missing or empty file is NoResultsYet. Only
// our first version's file must be converted, and so writable, to be read.
std::unique_ptr<Connection> openResultsFile(const std::string& path, ResultsAccess access,
                                            std::chrono::milliseconds lockWait);

// Converts our first version's tables (full paths per folder row) into the
// current ones, inside the caller's write transaction.
void migrateFirstVersion(Connection& db);

}  // namespace corvath
