#include "platform/linux/store_database.h"

#include "platform/linux/registry_key_rows.h"
#include "settings/analyzer_settings.h"
#include "sqlite/file_mark.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace corvath {

namespace {

// Marks a file as our store: "CRVG", the first layout.
constexpr sqlite::FileMark kStoreMark{0x43525647, 1};
// Long enough to queue behind another writer, short enough that a wedged lock
// reads as a missing setting rather than a hung window.
constexpr std::chrono::milliseconds kBusyTimeout{3000};

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
)sql";

// A new store holds the current user's root key and the product's key, with no
// values, as the installer leaves a user's profile: the program opens that key
// but never creates it.
std::string installedKeyRows() {
    const std::string insert =
        "INSERT INTO registry_keys(hive, path) VALUES(" + std::to_string(hiveCode(Hive::CurrentUser)) + ", '";
    std::string sql = insert + "');\n";
    const std::string path = kSettingsKey;
    for (std::size_t end = 0; end != std::string::npos;) {
        end = path.find('\\', end + 1);
        sql += insert + path.substr(0, end) + "');\n";
    }
    return sql;
}

std::string describe(const fs::path& file) {
    return "The settings store \"" + file.string() + "\"";
}

// How the store words what went wrong with its file.
[[noreturn]] void throwStoreError(const fs::path& file, const sqlite::Failure& failure) {
    constexpr const char* kLocked = "is locked by another program; nothing was changed";
    switch (failure.operation) {
        case sqlite::Operation::Open: throw StoreError(describe(file) + " cannot be opened: " + failure.message);
        case sqlite::Operation::Prepare: throw StoreError(describe(file) + " cannot be read: " + failure.message);
        case sqlite::Operation::Execute:
            throw StoreError(describe(file) + " " + (failure.busy() ? kLocked : "cannot be changed: " + failure.message));
        case sqlite::Operation::Step: break;
    }
    throw StoreError(describe(file) + " " + (failure.busy() ? kLocked : "cannot be used: " + failure.message));
}

void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

// Never creates the file: a file that vanished in between stays vanished.
StoreDatabase::StoreDatabase(fs::path file)
    : sqlite::Connection(file.string(), Mode::ReadWrite, Links::Follow, file.string(),
                         [file](const sqlite::Failure& failure) { throwStoreError(file, failure); }),
      file_(std::move(file)) {}

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
    std::unique_ptr<StoreDatabase> db(new StoreDatabase(file));
    db->setLockWait(kBusyTimeout);
    db->checkSound();
    db->readOnly_ = db->openedReadOnly() || ::access(file.parent_path().c_str(), W_OK) != 0;
    return db;
}

void StoreDatabase::checkSound() {
    sqlite::MarkCheck mark;
    try {
        mark = sqlite::checkMark(*this, kStoreMark);
    } catch (const StoreError&) {
        if (lastFailure().busy()) {
            fail("is locked by another program; nothing was read or changed");
        }
        fail("is not a readable database (" + lastFailure().message + "); left as it is");
    }
    if (mark.found.application != kStoreMark.application) {
        fail("is not a Corvath settings store; left as it is");
    }
    if (mark.ownership != sqlite::Ownership::Ours) {
        fail("has an unknown layout (version " + std::to_string(mark.found.version) + "); left as it is");
    }
    std::string verdict;
    try {
        sqlite::Statement check = prepare("PRAGMA quick_check(1)");
        verdict = check.step() ? check.data(0) : "no answer";
    } catch (const StoreError&) {
        verdict = lastFailure().message;
    }
    if (verdict != "ok") {
        fail("is damaged (" + verdict + "); left as it is");
    }
    const std::set<std::string> tables = sqlite::tableNames(*this);
    if (tables.count("registry_keys") == 0 || tables.count("registry_values") == 0) {
        fail("lacks its tables; left as it is");
    }
    execute("PRAGMA foreign_keys = ON");
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
    try {
        // The scratch file the store is built in: any failure is one to create it.
        sqlite::Connection store(scratch, sqlite::Connection::Mode::ReadWrite, sqlite::Connection::Links::Follow,
                                 scratch, [&file](const sqlite::Failure& failure) {
                                     throw StoreError(describe(file) + " cannot be created: " + failure.message);
                                 });
        const std::string build = sqlite::markStatements(kStoreMark) + "BEGIN;" + kSchema + installedKeyRows() + "COMMIT;";
        store.execute(build.c_str());
    } catch (const StoreError&) {
        discard();
        throw;
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

}  // namespace corvath
