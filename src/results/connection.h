#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace corvath {

class Statement;

// One SQLite connection to the scans database; every failure becomes a
// ResultsError that names the file.
class Connection {
public:
    enum class Mode {
        ReadWrite,
        ReadOnly,
        // Read-only, without the shared-memory and write-ahead files that SQLite
        // would otherwise open or make beside it: for a file on a read-only or
        // full filesystem, or in a folder the user may not write to.
        Immutable,
    };

    // Opens an existing file; never follows a symbolic link. Failures name the
    // file as shown (the path the user knows it by), the file itself if empty.
    Connection(const std::string& file, Mode mode, const std::string& shown = {});
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void execute(const char* sql);
    Statement prepare(const char* sql);
    std::int64_t lastRow() const;
    // Reads one integer (the first column of the first row) of a query.
    std::int64_t integer(const char* sql);
    void setLockWait(int milliseconds);
    const std::string& path() const { return path_; }
    [[noreturn]] void fail(int rc, std::string_view doing = {}) const;

private:
    std::string path_;
    sqlite3* db_ = nullptr;
    friend class Statement;
};

// A prepared statement with the few bindings and reads the database needs.
class Statement {
public:
    Statement(Connection& db, sqlite3_stmt* statement) : db_(&db), statement_(statement) {}
    ~Statement();
    Statement(Statement&& other) noexcept : db_(other.db_), statement_(other.statement_) { other.statement_ = nullptr; }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement& operator=(Statement&&) = delete;

    Statement& bind(int column, std::int64_t value);
    Statement& bind(int column, std::uint64_t value) { return bind(column, static_cast<std::int64_t>(value)); }
    Statement& bindText(int column, std::string_view text);
    Statement& bindBlob(int column, std::string_view bytes);
    // True while there is a row to read; false when done. Throws on failure.
    bool step();
    // Runs a statement that returns no rows, then makes it ready to run again.
    void run();
    void reset();

    std::int64_t integer(int column) const;
    std::uint64_t count(int column) const { return static_cast<std::uint64_t>(integer(column)); }
    std::string bytes(int column) const;  // a BLOB or TEXT column
    bool isNull(int column) const;

private:
    Connection* db_;
    sqlite3_stmt* statement_;
};

}  // namespace corvath
