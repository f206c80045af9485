#include "results/results_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <unistd.h>

#include "results/results_error.h"

namespace corvath {

namespace {

constexpr const char* kSchema =
    "CREATE TABLE scans ("
    " id INTEGER PRIMARY KEY, drive TEXT NOT NULL, root_path BLOB NOT NULL,"
    " started TEXT NOT NULL, finished TEXT NOT NULL,"
    " allocated INTEGER NOT NULL, apparent INTEGER NOT NULL, files INTEGER NOT NULL,"
    " folders INTEGER NOT NULL, errors INTEGER NOT NULL, root_node INTEGER NOT NULL);"
    "CREATE INDEX scans_by_drive ON scans(drive, finished);"
    "CREATE TABLE nodes ("
    " id INTEGER PRIMARY KEY, name BLOB NOT NULL, allocated INTEGER NOT NULL, apparent INTEGER NOT NULL,"
    " files INTEGER NOT NULL, folders INTEGER NOT NULL, flags INTEGER NOT NULL, subfolders INTEGER NOT NULL,"
    " base INTEGER, depth INTEGER, children BLOB);"
    "CREATE TABLE files ("
    " scan INTEGER NOT NULL, folder BLOB NOT NULL, name BLOB NOT NULL,"
    " allocated INTEGER NOT NULL, apparent INTEGER NOT NULL, modified INTEGER NOT NULL);"
    "CREATE INDEX files_by_scan ON files(scan, allocated);";

enum class Kind { Empty, Current, FirstVersion, Newer, Foreign };

std::set<std::string> tablesOf(Connection& db) {
    std::set<std::string> names;
    Statement query = db.prepare("SELECT name FROM sqlite_master WHERE type = 'table'");
    while (query.step()) names.insert(query.bytes(0));
    return names;
}

bool hasColumns(Connection& db, const char* table, const std::set<std::string>& wanted) {
    std::set<std::string> columns;
    Statement query = db.prepare((std::string("SELECT name FROM pragma_table_info('") + table + "')").c_str());
    while (query.step()) columns.insert(query.bytes(0));
    return columns == wanted;
}

Kind kindOf(Connection& db) {
    const std::int64_t application = db.integer("PRAGMA application_id");
    const std::int64_t version = db.integer("PRAGMA user_version");
    const std::set<std::string> tables = tablesOf(db);
    if (application == kResultsApplicationId) {
        if (version == kResultsSchemaVersion) return Kind::Current;
        return version > kResultsSchemaVersion ? Kind::Newer : Kind::Foreign;
    }
    if (application != 0 || version != 0) return Kind::Foreign;
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

// What is at the path, before SQLite opens anything: false when nothing is.
bool checkPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::symlink_status(path, error);
    // Nothing there; also when a folder on the way is a file (ENOTDIR).
    if (status.type() == std::filesystem::file_type::not_found) return false;
    if (error) refuse(path, error.message());
    if (std::filesystem::is_symlink(status)) refuse(path, "it is a symbolic link");
    if (!std::filesystem::is_regular_file(status)) refuse(path, "it is not a regular file");
    return true;
}

void makeFolder(const std::string& path) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code error;
    if (!folder.empty()) std::filesystem::create_directories(folder, error);
    if (error) refuse(path, "cannot create the folder " + folder.string() + ": " + error.message());
}

}  // namespace

std::unique_ptr<Connection> openResultsFile(const std::string& path, ResultsAccess access,
                                            std::chrono::milliseconds lockWait) {
    const bool exists = checkPath(path);
    if (!exists && access == ResultsAccess::Read) {
        throw NoResultsYet("there is no scans database yet (" + path +
                           "): analyze a drive with corvath-analyzer, or run corvath-analyzer -auto");
    }
    if (!exists) makeFolder(path);
    if (exists && access == ResultsAccess::Write) {
        // SQLite would open it read-only and fail later with a vaguer reason.
        const std::string folder = std::filesystem::path(path).parent_path().string();
        if (::access(path.c_str(), W_OK) != 0 || ::access(folder.empty() ? "." : folder.c_str(), W_OK) != 0) {
            refuse(path, std::string("it cannot be written: ") + std::strerror(errno));
        }
    }
    auto db = std::make_unique<Connection>(path, !exists);
    db->setLockWait(static_cast<int>(lockWait.count()));
    // Nothing is written before the file is known to be ours or empty.
    Kind kind = kindOf(*db);
    checkKind(kind, path);
    if (kind == Kind::Empty) db->execute("PRAGMA auto_vacuum = INCREMENTAL");
    db->execute("PRAGMA journal_mode = WAL");
    if (kind == Kind::Current) return db;

    db->execute("BEGIN IMMEDIATE");
    try {
        kind = kindOf(*db);  // another process may have got there first
        checkKind(kind, path);
        if (kind == Kind::Empty) db->execute(kSchema);
        if (kind == Kind::FirstVersion) {
            db->execute("ALTER TABLE scans RENAME TO scans_v1; ALTER TABLE folders RENAME TO folders_v1;");
            db->execute(kSchema);
            migrateFirstVersion(*db);
            db->execute("DROP TABLE scans_v1; DROP TABLE folders_v1;");
        }
        db->execute(("PRAGMA application_id = " + std::to_string(kResultsApplicationId) +
                     "; PRAGMA user_version = " + std::to_string(kResultsSchemaVersion))
                        .c_str());
        db->execute("COMMIT");
    } catch (...) {
        try {
            db->execute("ROLLBACK");
        } catch (const ResultsError&) {
            // SQLite may have rolled back already.
        }
        throw;
    }
    if (kind == Kind::FirstVersion) {
        // The old tables' pages go back to the file system, and later prunes
        // can give pages back too. The conversion is already safe if this fails.
        try {
            db->execute("PRAGMA auto_vacuum = INCREMENTAL; VACUUM");
        } catch (const ResultsError&) {
        }
    }
    return db;
}

}  // namespace corvath
