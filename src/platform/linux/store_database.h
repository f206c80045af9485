#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace corvath {

// A store problem worth one line to the person at the command line: an
// unreadable, foreign or corrupt file, or one locked past the busy timeout. The
// message is a whole sentence without its full stop.
class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class StoreStatement;

// One connection to a registry store file. It only ever opens files that exist
// and checks that a file is a sound store of ours before anyone reads or writes
// it, so a foreign or damaged file is never changed.
class StoreDatabase {
public:
    // Null when the file does not exist; throws StoreError when it exists but is
    // not a readable, sound store.
    static std::unique_ptr<StoreDatabase> openExisting(const std::filesystem::path& file);
    // Creates a new store at file unless one appears there first, holding the
    // product's settings key with no values. The file comes into being complete
    // (built aside, then linked into place), never half made.
    static void createIfMissing(const std::filesystem::path& file);

    ~StoreDatabase();
    StoreDatabase(const StoreDatabase&) = delete;
    StoreDatabase& operator=(const StoreDatabase&) = delete;

    // True when this process may not change the store: the file or its folder is
    // read-only to us, so a write (which needs a journal beside the file) would fail.
    bool readOnly() const { return readOnly_; }
    const std::filesystem::path& file() const { return file_; }

    StoreStatement prepare(std::string_view sql);
    void exec(const char* sql);

    // Runs body inside a write transaction taken up front, so that concurrent
    // writers queue on the busy timeout instead of failing on a lock upgrade.
    template <typename Body>
    void writeTransaction(Body&& body) {
        exec("BEGIN IMMEDIATE");
        try {
            body();
            exec("COMMIT");
        } catch (...) {
            rollbackQuietly();
            throw;
        }
    }

    [[noreturn]] void fail(const std::string& what) const;

private:
    StoreDatabase(sqlite3* db, std::filesystem::path file);
    void checkSound();
    void rollbackQuietly() noexcept;

    sqlite3* db_;
    std::filesystem::path file_;
    bool readOnly_ = false;
};

// A prepared statement; parameters are numbered from 1, columns from 0.
class StoreStatement {
public:
    StoreStatement(StoreDatabase& db, sqlite3_stmt* stmt) : db_(&db), stmt_(stmt) {}
    ~StoreStatement();
    StoreStatement(StoreStatement&& other) noexcept : db_(other.db_), stmt_(other.stmt_) { other.stmt_ = nullptr; }
    StoreStatement(const StoreStatement&) = delete;
    StoreStatement& operator=(const StoreStatement&) = delete;
    StoreStatement& operator=(StoreStatement&&) = delete;

    StoreStatement& bind(int index, std::int64_t value);
    StoreStatement& bind(int index, std::string_view text);
    StoreStatement& bindBlob(int index, const std::vector<std::uint8_t>& data);
    // True while a row is ready.
    bool step();
    std::int64_t integer(int column) const;
    std::string text(int column) const;
    std::vector<std::uint8_t> blob(int column) const;
    std::size_t bytes(int column) const;

private:
    StoreDatabase* db_;
    sqlite3_stmt* stmt_;
};

}  // namespace corvath
