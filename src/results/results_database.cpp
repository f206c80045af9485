#include "results/results_database.h"

#include <ctime>
#include <filesystem>
#include <sqlite3.h>

#include "engine/engine_error.h"

namespace corvath {

namespace {

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS scans ("
    " id INTEGER PRIMARY KEY, drive TEXT NOT NULL, started TEXT NOT NULL, finished TEXT NOT NULL,"
    " allocated INTEGER NOT NULL, apparent INTEGER NOT NULL, files INTEGER NOT NULL,"
    " folders INTEGER NOT NULL, errors INTEGER NOT NULL);"
    "CREATE TABLE IF NOT EXISTS folders ("
    " scan INTEGER NOT NULL REFERENCES scans(id), path BLOB NOT NULL,"
    " allocated INTEGER NOT NULL, apparent INTEGER NOT NULL, files INTEGER NOT NULL, folders INTEGER NOT NULL);"
    "CREATE INDEX IF NOT EXISTS folders_by_scan ON folders(scan);";

std::string utcText(std::chrono::system_clock::time_point when) {
    const auto milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count();
    const std::time_t seconds = static_cast<std::time_t>(milliseconds / 1000);
    std::tm parts{};
    ::gmtime_r(&seconds, &parts);
    char text[40];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &parts);
    return std::string(text, length) + "." + std::to_string(1000 + milliseconds % 1000).substr(1) + "Z";
}

auto toSql(std::uint64_t value) { return static_cast<sqlite3_int64>(value); }

// One connection; every failure becomes an EngineError naming the database.
class Database {
public:
    explicit Database(const std::string& path) : path_(path) {
        const int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        if (rc != SQLITE_OK) fail(rc);
        sqlite3_busy_timeout(db_, 5000);
        sqlite3_extended_result_codes(db_, 1);
    }
    ~Database() { sqlite3_close_v2(db_); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void execute(const char* sql) {
        const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) fail(rc);
    }
    sqlite3_stmt* prepare(const char* sql) {
        sqlite3_stmt* statement = nullptr;
        const int rc = sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr);
        if (rc != SQLITE_OK) fail(rc);
        return statement;
    }
    void step(sqlite3_stmt* statement) {
        const int rc = sqlite3_step(statement);
        if (rc != SQLITE_DONE) fail(rc);
        sqlite3_reset(statement);
    }
    sqlite3_int64 lastRow() const { return sqlite3_last_insert_rowid(db_); }
    [[noreturn]] void fail(int rc) const {
        std::string reason = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
        throw EngineError("cannot store the results in " + path_ + ": " + reason);
    }

private:
    std::string path_;
    sqlite3* db_ = nullptr;
};

struct Statement {
    explicit Statement(sqlite3_stmt* s) : statement(s) {}
    ~Statement() { sqlite3_finalize(statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* statement;
};

class FolderRows : public FolderVisitor {
public:
    FolderRows(Database& db, sqlite3_stmt* insert, sqlite3_int64 scan, const FolderTable& folders)
        : db_(db), insert_(insert), scan_(scan), folders_(folders) {}
    void enter(std::uint32_t index, const std::string& path) override {
        const FolderNode& node = folders_[index];
        sqlite3_bind_int64(insert_, 1, scan_);
        sqlite3_bind_blob64(insert_, 2, path.data(), path.size(), SQLITE_TRANSIENT);
        sqlite3_bind_int64(insert_, 3, toSql(node.allocated));
        sqlite3_bind_int64(insert_, 4, toSql(node.apparent));
        sqlite3_bind_int64(insert_, 5, toSql(node.files));
        sqlite3_bind_int64(insert_, 6, toSql(node.folders));
        db_.step(insert_);
    }
    void leave(std::uint32_t) override {}

private:
    Database& db_;
    sqlite3_stmt* insert_;
    sqlite3_int64 scan_;
    const FolderTable& folders_;
};

}  // namespace

void ResultsDatabase::storeScan(const ScanRecord& record, const FolderTable& folders) {
    const std::string& databasePath = path_;
    const std::filesystem::path folder = std::filesystem::path(databasePath).parent_path();
    std::error_code error;
    if (!folder.empty()) std::filesystem::create_directories(folder, error);
    if (error) {
        throw EngineError("cannot store the results in " + databasePath + ": cannot create the folder " +
                          folder.string() + ": " + error.message());
    }
    Database db(databasePath);
    // IMMEDIATE takes the write lock first, so nothing is written unless all is.
    db.execute("BEGIN IMMEDIATE");
    try {
        db.execute(kSchema);
        {
            Statement insertScan(db.prepare(
                "INSERT INTO scans (drive, started, finished, allocated, apparent, files, folders, errors)"
                " VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
            sqlite3_stmt* s = insertScan.statement;
            const std::string started = utcText(record.started);
            const std::string finished = utcText(record.finished);
            sqlite3_bind_text(s, 1, record.drive.data(), static_cast<int>(record.drive.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(s, 2, started.data(), static_cast<int>(started.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(s, 3, finished.data(), static_cast<int>(finished.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int64(s, 4, toSql(record.totals.allocated));
            sqlite3_bind_int64(s, 5, toSql(record.totals.apparent));
            sqlite3_bind_int64(s, 6, toSql(record.totals.files));
            sqlite3_bind_int64(s, 7, toSql(record.totals.folders));
            sqlite3_bind_int64(s, 8, toSql(record.totals.errors));
            db.step(s);
        }
        const sqlite3_int64 scan = db.lastRow();
        Statement insertFolder(db.prepare(
            "INSERT INTO folders (scan, path, allocated, apparent, files, folders) VALUES (?, ?, ?, ?, ?, ?)"));
        FolderRows rows(db, insertFolder.statement, scan, folders);
        visitDepthFirst(folders, record.rootPath, rows);
        db.execute("COMMIT");
    } catch (...) {
        try {
            db.execute("ROLLBACK");
        } catch (const EngineError&) {
            // The transaction is already gone when SQLite rolled it back itself.
        }
        throw;
    }
}

}  // namespace corvath
