#include "platform/linux/store_database.h"

#include "settings/analyzer_settings.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace corvath {

namespace {

// Marks a file as our store: "CRVG".
constexpr std::int64_t kApplicationId = 0x43525647;
constexpr std::int64_t kSchemaVersion = 1;
// Long enough to queue behind another writer, short enough that a wedged lock
// reads as a missing setting rather than a hung window.
constexpr int kBusyTimeoutMs = 3000;

constexpr const char* kSchema = R"sql(
CREATE TABLE registry_keys(
    id INTEGER PRIMARY KEY,
    hive INTEGER NOT NULL,
    path TEXT NOT NULL COLLATE NOCASE,
    UNIQUE(hive, path));
CREATE TABLE registry_values(
    key_id INTEGER NOT NULL REFERENCES registry_keys(id) ON DELETE CASCADE,
    name TEXT NOT NULL COLLATE NOCASE,
    type INTEGER NOT NULL,
    data BLOB NOT NULL,
    PRIMARY KEY(key_id, name));
INSERT INTO registry_keys(hive, path) VALUES(2147483649, '');
)sql";

// A new store holds the product's key, with no values, as the installer leaves a
// user's profile: the program opens that key but never creates it.
std::string installedKeyRows() {
    const std::string path = kSettingsKey;
    std::string sql;
    for (std::size_t end = 0; end != std::string::npos;) {
        end = path.find('\\', end + 1);
        sql += "INSERT INTO registry_keys(hive, path) VALUES(2147483649, '" + path.substr(0, end) + "');\n";
    }
    return sql;
}

std::string describe(const fs::path& file) {
    return "The settings store \"" + file.string() + "\"";
}

void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

StoreDatabase::StoreDatabase(sqlite3* db, fs::path file) : db_(db), file_(std::move(file)) {}

StoreDatabase::~StoreDatabase() {
    sqlite3_close_v2(db_);
}

void StoreDatabase::fail(const std::string& what) const {
    throw StoreError(describe(file_) + " " + what);
}

std::unique_ptr<StoreDatabase> StoreDatabase::openExisting(const fs::path& file) {
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (status.type() == fs::file_type::not_found) {
        return nullptr;
    }
    if (ec) {
        throw StoreError(describe(file) + " cannot be examined: " + ec.message());
    }
    if (status.type() != fs::file_type::regular) {
        throw StoreError(describe(file) + " is not a regular file; left as it is");
    }
    sqlite3* raw = nullptr;
    // Never SQLITE_OPEN_CREATE: a file that vanished in between stays vanished.
    const int rc = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    std::unique_ptr<StoreDatabase> db(new StoreDatabase(raw, file));
    if (rc != SQLITE_OK) {
        db->fail(std::string("cannot be opened: ") + (raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc)));
    }
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_busy_timeout(raw, kBusyTimeoutMs);
    db->checkSound();
    db->readOnly_ = sqlite3_db_readonly(raw, "main") == 1 || ::access(file.parent_path().c_str(), W_OK) != 0;
    return db;
}

void StoreDatabase::checkSound() {
    std::int64_t applicationId = 0;
    std::int64_t version = 0;
    try {
        StoreStatement id = prepare("PRAGMA application_id");
        applicationId = id.step() ? id.integer(0) : 0;
    } catch (const StoreError&) {
        if ((sqlite3_errcode(db_) & 0xff) == SQLITE_BUSY) {
            fail("is locked by another program; nothing was read or changed");
        }
        fail(std::string("is not a readable database (") + sqlite3_errmsg(db_) + "); left as it is");
    }
    if (applicationId != kApplicationId) {
        fail("is not a Corvath settings store; left as it is");
    }
    StoreStatement userVersion = prepare("PRAGMA user_version");
    version = userVersion.step() ? userVersion.integer(0) : 0;
    if (version != kSchemaVersion) {
        fail("has an unknown layout (version " + std::to_string(version) + "); left as it is");
    }
    std::string verdict;
    try {
        StoreStatement check = prepare("PRAGMA quick_check(1)");
        verdict = check.step() ? check.text(0) : "no answer";
    } catch (const StoreError&) {
        verdict = sqlite3_errmsg(db_);
    }
    if (verdict != "ok") {
        fail("is damaged (" + verdict + "); left as it is");
    }
    StoreStatement tables = prepare(
        "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN ('registry_keys', 'registry_values')");
    if (!tables.step() || tables.integer(0) != 2) {
        fail("lacks its tables; left as it is");
    }
    exec("PRAGMA foreign_keys = ON");
}

void StoreDatabase::createIfMissing(const fs::path& file) {
    std::error_code ec;
    if (fs::exists(file, ec) || fs::is_symlink(file, ec)) {
        return;
    }
    const fs::path folder = file.parent_path();
    fs::create_directories(folder, ec);
    if (ec) {
        throw StoreError("The folder \"" + folder.string() + "\" for the settings store cannot be created: " +
                         ec.message());
    }
    std::string scratch = (folder / ("." + file.filename().string() + ".new-XXXXXX")).string();
    const int fd = ::mkstemp(scratch.data());
    if (fd < 0) {
        throw StoreError(describe(file) + " cannot be created: " + std::strerror(errno));
    }
    ::close(fd);
    auto discard = [&] { ::unlink(scratch.c_str()); };

    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(scratch.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    std::string error;
    if (rc == SQLITE_OK) {
        const std::string pragmas = "PRAGMA application_id = " + std::to_string(kApplicationId) +
                                    "; PRAGMA user_version = " + std::to_string(kSchemaVersion) + ";";
        char* message = nullptr;
        const std::string build = pragmas + "BEGIN;" + kSchema + installedKeyRows() + "COMMIT;";
        rc = sqlite3_exec(raw, build.c_str(), nullptr, nullptr, &message);
        if (rc != SQLITE_OK) {
            error = message ? message : sqlite3_errstr(rc);
        }
        sqlite3_free(message);
    } else {
        error = raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc);
    }
    sqlite3_close_v2(raw);
    if (!error.empty()) {
        discard();
        throw StoreError(describe(file) + " cannot be created: " + error);
    }
    // link() never replaces: if another installer won the race, its store stands.
    if (::link(scratch.c_str(), file.c_str()) != 0 && errno != EEXIST) {
        const int err = errno;
        discard();
        throw StoreError(describe(file) + " cannot be created: " + std::strerror(err));
    }
    discard();
    syncFolder(folder);
}

StoreStatement StoreDatabase::prepare(std::string_view sql) {
    sqlite3_stmt* stmt = nullptr;
    const int rc = sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &stmt, nullptr);
    if (rc != SQLITE_OK) {
        fail(std::string("cannot be read: ") + sqlite3_errmsg(db_));
    }
    return StoreStatement(*this, stmt);
}

void StoreDatabase::exec(const char* sql) {
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        if ((rc & 0xff) == SQLITE_BUSY) {
            fail("is locked by another program; nothing was changed");
        }
        fail(std::string("cannot be changed: ") + sqlite3_errmsg(db_));
    }
}

void StoreDatabase::rollbackQuietly() noexcept {
    if (sqlite3_get_autocommit(db_) == 0) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

StoreStatement::~StoreStatement() {
    sqlite3_finalize(stmt_);
}

StoreStatement& StoreStatement::bind(int index, std::int64_t value) {
    sqlite3_bind_int64(stmt_, index, value);
    return *this;
}

StoreStatement& StoreStatement::bind(int index, std::string_view text) {
    sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    return *this;
}

StoreStatement& StoreStatement::bindBlob(int index, const std::vector<std::uint8_t>& data) {
    // A zero-length blob, not NULL: an empty value is still a value.
    if (data.empty()) {
        sqlite3_bind_zeroblob(stmt_, index, 0);
    } else {
        sqlite3_bind_blob64(stmt_, index, data.data(), data.size(), SQLITE_TRANSIENT);
    }
    return *this;
}

bool StoreStatement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc == SQLITE_DONE) {
        return false;
    }
    if ((rc & 0xff) == SQLITE_BUSY) {
        db_->fail("is locked by another program; nothing was changed");
    }
    db_->fail(std::string("cannot be used: ") + sqlite3_errmsg(sqlite3_db_handle(stmt_)));
}

std::int64_t StoreStatement::integer(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

std::string StoreStatement::text(int column) const {
    const auto* chars = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return chars ? std::string(chars, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column))) : std::string();
}

std::vector<std::uint8_t> StoreStatement::blob(int column) const {
    const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, column));
    const auto size = static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column));
    return data ? std::vector<std::uint8_t>(data, data + size) : std::vector<std::uint8_t>();
}

std::size_t StoreStatement::bytes(int column) const {
    return static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column));
}

}  // namespace corvath
