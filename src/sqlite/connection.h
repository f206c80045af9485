#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace corvath::sqlite {

// What a failed call was doing: each user of the layer words its failures by it.
enum class Operation { Open, Prepare, Execute, Step };

// One failed call into SQLite.
struct Failure {
    Operation operation = Operation::Open;
    int code = 0;  // SQLite's extended result code
    // The connection's own message for it (sqlite3_errmsg); the code's
    // description when there is no connection.
    std::string message;
    // message where it speaks of this code, else the code's description.
    std::string reason;

    bool busy() const;          // another connection holds the lock
    bool notADatabase() const;  // the file is not an SQLite database
    // The file cannot be opened, read or written where it lies: permissions, a
    // read-only or full filesystem, an I/O error.
    bool fileAccess() const;
};

// Turns a failure into its user's exception; it must throw.
using FailureHandler = std::function<void(const Failure&)>;

class Statement;

// One SQLite connection, used by one thread. Every failure goes to the handler
// it was opened with, which throws the user's own error.
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
    enum class Links { Follow, Refuse };

    // Opens an existing file; never creates one. shown is the name the file
    // goes by (path()), for the handler to use in its messages.
    Connection(const std::string& file, Mode mode, Links links, std::string shown, FailureHandler onFailure);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void execute(const char* sql);
    Statement prepare(std::string_view sql);
    std::int64_t lastRow() const;
    // Reads one integer (the first column of the first row) of a query; 0 without a row.
    std::int64_t integer(const char* sql);
    // How long a call waits for another connection's lock before it fails as busy.
    void setLockWait(std::chrono::milliseconds wait);
    // True when SQLite opened the file read-only (a write would fail).
    bool openedReadOnly() const;
    // Ends an open transaction, if any, without a word: on the way out of a
    // failure, when SQLite may have rolled back already.
    void rollbackQuietly() noexcept;
    const std::string& path() const { return path_; }
    // The last failure handed to the handler.
    const Failure& lastFailure() const { return lastFailure_; }

    [[noreturn]] void fail(Operation operation, int rc) const;

private:
    std::string path_;
    FailureHandler onFailure_;
    sqlite3* db_ = nullptr;
    mutable Failure lastFailure_;
};

// A prepared statement; parameters are numbered from 1, columns from 0.
class Statement {
public:
    Statement(const Connection& db, sqlite3_stmt* statement) : db_(&db), statement_(statement) {}
    ~Statement();
    Statement(Statement&& other) noexcept : db_(other.db_), statement_(other.statement_) { other.statement_ = nullptr; }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement& operator=(Statement&&) = delete;

    Statement& bind(int column, std::int64_t value);
    Statement& bind(int column, std::uint64_t value) { return bind(column, static_cast<std::int64_t>(value)); }
    Statement& bindText(int column, std::string_view text);
    // An empty BLOB is still a BLOB, not NULL: an empty value is still a value.
    Statement& bindBlob(int column, std::string_view bytes);
    Statement& bindBlob(int column, const std::vector<std::uint8_t>& bytes);
    // True while there is a row to read; false when done. Failures go to the handler.
    bool step();
    // Runs a statement that returns no rows, then makes it ready to run again.
    void run();
    void reset();

    std::int64_t integer(int column) const;
    std::uint64_t count(int column) const { return static_cast<std::uint64_t>(integer(column)); }
    // The data of a TEXT or BLOB column, byte for byte ("" for NULL).
    std::string data(int column) const;
    // The same data in place: good until the statement steps or resets.
    std::string_view dataView(int column) const;
    // The same data as a byte vector.
    std::vector<std::uint8_t> dataBytes(int column) const;
    bool isNull(int column) const;

private:
    const Connection* db_;
    sqlite3_stmt* statement_;
};

}  // namespace corvath::sqlite
