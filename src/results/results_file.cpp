#include "results/results_file.h"

#include <set>

#include "results/database_place.h"
#include "results/results_error.h"
#include "sqlite/file_mark.h"
#include "sqlite/transaction.h"

namespace corvath {

namespace {

// drive_key says which drive a scan is of, across mount points: its
// filesystem's identity, else (a filesystem without one) its mount point;
// NULL for a scan from before drives were known by their filesystem, which
// the drive's next scan at that mount point adopts. drive_used is the drive's
// used bytes as the system counted them (NULL where unknown, as in scans from
// before it was kept); excludes the exclude patterns the scan ran with,
// TAB-separated (NULL or '' for none).
constexpr const char* kSchema =
    "CREATE TABLE scans ("
    " id INTEGER PRIMARY KEY, drive TEXT NOT NULL, root_path BLOB NOT NULL,"
    " started TEXT NOT NULL, finished TEXT NOT NULL,"
    " allocated INTEGER NOT NULL, apparent INTEGER NOT NULL, files INTEGER NOT NULL,"
    " folders INTEGER NOT NULL, errors INTEGER NOT NULL, root_node INTEGER NOT NULL, drive_key TEXT,"
    " drive_used INTEGER, excludes BLOB);"
    "CREATE INDEX scans_by_drive ON scans(drive, finished);"
    "CREATE INDEX scans_by_key ON scans(drive_key, finished);"
    "CREATE TABLE nodes ("
    " id INTEGER PRIMARY KEY, name BLOB NOT NULL, allocated INTEGER NOT NULL, apparent INTEGER NOT NULL,"
    " files INTEGER NOT NULL, folders INTEGER NOT NULL, flags INTEGER NOT NULL, subfolders INTEGER NOT NULL,"
    " base INTEGER, depth INTEGER, children BLOB);"
    "CREATE TABLE files ("
    " scan INTEGER NOT NULL, folder BLOB NOT NULL, name BLOB NOT NULL,"
    " allocated INTEGER NOT NULL, apparent INTEGER NOT NULL, modified INTEGER NOT NULL);"
    "CREATE INDEX files_by_scan ON files(scan, allocated);";

// The third version had no drive_used and no excludes; the second no drive_key either.
constexpr std::int64_t kSecondVersion = 2;
constexpr std::int64_t kThirdVersion = 3;
constexpr const char* kFromThirdVersion =
    "ALTER TABLE scans ADD COLUMN drive_used INTEGER;"
    "ALTER TABLE scans ADD COLUMN excludes BLOB;";
constexpr const char* kFromSecondVersion =
    "ALTER TABLE scans ADD COLUMN drive_key TEXT;"
    "CREATE INDEX scans_by_key ON scans(drive_key, finished);";
// Reading an older file that is not converted where it lies: the temporary
// view, which shadows the file's table, writes nothing to the file.
constexpr const char* kSecondVersionView =
    "PRAGMA temp_store = MEMORY;"
    "CREATE TEMP VIEW scans AS SELECT *, NULL AS drive_key, NULL AS drive_used, NULL AS excludes FROM main.scans;";
constexpr const char* kThirdVersionView =
    "PRAGMA temp_store = MEMORY;"
    "CREATE TEMP VIEW scans AS SELECT *, NULL AS drive_used, NULL AS excludes FROM main.scans;";

constexpr sqlite::FileMark kResultsMark{kResultsApplicationId, kResultsSchemaVersion};

enum class Kind { Empty, Current, ThirdVersion, SecondVersion, FirstVersion, Newer, Foreign };

bool hasColumns(Connection& db, const char* table, const std::set<std::string>& wanted) {
    std::set<std::string> columns;
    Statement query = db.prepare((std::string("SELECT name FROM pragma_table_info('") + table + "')").c_str());
    while (query.step()) columns.insert(query.data(0));
    return columns == wanted;
}

Kind kindOf(Connection& db) {
    const sqlite::MarkCheck mark = sqlite::checkMark(db, kResultsMark);
    const std::set<std::string> tables = sqlite::tableNames(db);
    switch (mark.ownership) {
        case sqlite::Ownership::Ours: return Kind::Current;
        case sqlite::Ownership::OursOlder:
            if (mark.found.version == kThirdVersion) return Kind::ThirdVersion;
            return mark.found.version == kSecondVersion ? Kind::SecondVersion : Kind::Foreign;
        case sqlite::Ownership::OursNewer: return Kind::Newer;
        case sqlite::Ownership::Foreign: return Kind::Foreign;
        case sqlite::Ownership::Unmarked: break;
    }
    if (tables.empty()) return Kind::Empty;
    // The first version carried no mark; it is known by its two tables exactly.
    if (tables == std::set<std::string>{"scans", "folders"} &&
        hasColumns(db, "scans",
                   {"id", "drive", "started", "finished", "allocated", "apparent", "files", "folders", "errors"}) &&
        hasColumns(db, "folders", {"scan", "path", "allocated", "apparent", "files", "folders"})) {
        return Kind::FirstVersion;
    }
    return Kind::Foreign;
}

[[noreturn]] void refuse(const std::string& path, const std::string& reason) {
    throw ResultsError("cannot use the scans database " + path + ": " + reason);
}

void checkKind(Kind kind, const std::string& path) {
    if (kind == Kind::Foreign) refuse(path, "it is not a Corvath scans database");
    if (kind == Kind::Newer) refuse(path, "it was made by a newer version of Corvath");
}

// Brings an older file of ours, or an empty one, to the current tables in one
// write transaction; on any failure the file stays as it was.
void convert(Connection& db, const std::string& path) {
    const Kind kind = sqlite::inWriteTransaction(db, [&] {
        const Kind found = kindOf(db);  // another process may have got there first
        checkKind(found, path);
        if (found == Kind::Empty) db.execute(kSchema);
        if (found == Kind::SecondVersion) db.execute(kFromSecondVersion);
        if (found == Kind::SecondVersion || found == Kind::ThirdVersion) db.execute(kFromThirdVersion);
        if (found == Kind::FirstVersion) {
            db.execute("ALTER TABLE scans RENAME TO scans_v1; ALTER TABLE folders RENAME TO folders_v1;");
            db.execute(kSchema);
            migrateFirstVersion(db);
            db.execute("DROP TABLE scans_v1; DROP TABLE folders_v1;");
        }
        db.execute(sqlite::markStatements(kResultsMark).c_str());
        return found;
    });
    if (kind == Kind::FirstVersion) {
        // The old tables' pages go back to the file system, and later prunes
        // can give pages back too. The conversion is already safe if this fails.
        try {
            db.execute("PRAGMA auto_vacuum = INCREMENTAL; VACUUM");
        } catch (const ResultsError&) {
        }
    }
}

std::unique_ptr<Connection> openForWriting(const DatabasePlace& place, std::chrono::milliseconds lockWait) {
    checkSafeToWrite(place);
    if (!place.exists) createPrivateFile(place);
    auto db = std::make_unique<Connection>(place.file, Connection::Mode::ReadWrite, place.shown);
    db->setLockWait(lockWait);
    // Nothing is written before the file is known to be ours or empty.
    const Kind kind = kindOf(*db);
    checkKind(kind, place.shown);
    if (kind == Kind::Empty) db->execute("PRAGMA auto_vacuum = INCREMENTAL");
    db->execute("PRAGMA journal_mode = WAL");
    if (kind != Kind::Current) convert(*db, place.shown);
    return db;
}

std::unique_ptr<Connection> openForReading(const DatabasePlace& place, std::chrono::milliseconds lockWait) {
    std::unique_ptr<Connection> db;
    Kind kind = Kind::Current;
    try {
        db = std::make_unique<Connection>(place.file, Connection::Mode::ReadOnly, place.shown);
        db->setLockWait(lockWait);
        kind = kindOf(*db);
    } catch (const ResultsFileAccessError&) {
        // SQLite could not open or make the files it keeps beside the database
        // (a read-only or full filesystem, a folder the user may not write to):
        // then no one is writing it either, and it reads as it lies.
        db = std::make_unique<Connection>(place.file, Connection::Mode::Immutable, place.shown);
        kind = kindOf(*db);
    }
    checkKind(kind, place.shown);
    if (kind == Kind::Empty) {
        throw NoResultsYet("the scans database " + place.shown +
                           " holds no scan yet: analyze a drive with corvath-analyzer, or run corvath-analyzer -auto");
    }
    if (kind == Kind::SecondVersion) db->execute(kSecondVersionView);
    if (kind == Kind::ThirdVersion) db->execute(kThirdVersionView);
    if (kind == Kind::FirstVersion) {
        // Its folders must be converted before they can be read.
        db.reset();
        try {
            return openForWriting(place, lockWait);
        } catch (const ResultsError& error) {
            throw ResultsError(std::string(error.what()) +
                               " (it is in the first version's format, which is read only once converted)");
        }
    }
    return db;
}

}  // namespace

std::unique_ptr<Connection> openResultsFile(const std::string& path, ResultsAccess access,
                                            std::chrono::milliseconds lockWait) {
    const DatabasePlace place = findDatabase(path, access == ResultsAccess::Write);
    if (access == ResultsAccess::Write) return openForWriting(place, lockWait);
    if (!place.exists) {
        throw NoResultsYet("there is no scans database yet (" + path +
                           "): analyze a drive with corvath-analyzer, or run corvath-analyzer -auto");
    }
    return openForReading(place, lockWait);
}

}  // namespace corvath
