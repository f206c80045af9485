#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "sqlite/connection.h"

namespace corvath::sqlite {

// The two numbers in an SQLite file's header that say whose file it is
// (application_id) and which of its owner's layouts it holds (user_version).
struct FileMark {
    std::int64_t application = 0;
    std::int64_t version = 0;
};

// What a file is to the program whose mark is ours.
enum class Ownership {
    Ours,       // our application and our version
    OursOlder,  // our application, an older version
    OursNewer,  // our application, a version made after ours
    Unmarked,   // no mark at all: a new file, or one made before files were marked
    Foreign,    // another program's mark
};

struct MarkCheck {
    Ownership ownership = Ownership::Unmarked;
    FileMark found;
};

// The "is this file ours" check: reads the file's mark and says whose it is.
// Writes nothing.
MarkCheck checkMark(Connection& db, FileMark ours);

// The statements that mark a file as ours, for the transaction that makes or
// converts it.
std::string markStatements(FileMark mark);

// The names of the file's tables.
std::set<std::string> tableNames(Connection& db);

}  // namespace corvath::sqlite
