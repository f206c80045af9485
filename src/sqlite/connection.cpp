#include "sqlite/connection.h"

#include <sqlite3.h>

#include <cstdlib>

namespace corvath::sqlite {

namespace {

// A file name as an SQLite URI path: the characters URIs give a meaning escaped.
std::string uriPath(const std::string& file) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri;
    for (const char c : file) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '%' || c == '?' || c == '#' || byte < 0x21 || byte >= 0x7f) {
            uri += '%';
            uri += kHex[byte >> 4];
            uri += kHex[byte & 15];
        } else {
            uri += c;
        }
    }
#ifdef _WIN32
    // "C:\x" is the URI path "/C:/x".
    for (char& c : uri) {
        if (c == '\\') c = '/';
    }
    if (uri.size() >= 2 && uri[1] == ':') uri.insert(uri.begin(), '/');
#endif
    return uri;
}

Failure failureOf(sqlite3* db, Operation operation, int rc) {
    Failure failure;
    failure.operation = operation;
    failure.code = rc;
    failure.message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    failure.reason = db != nullptr && sqlite3_errcode(db) == rc ? failure.message : sqlite3_errstr(rc);
    return failure;
}

}  // namespace

bool Failure::busy() const { return (code & 0xff) == SQLITE_BUSY; }

bool Failure::notADatabase() const { return (code & 0xff) == SQLITE_NOTADB; }

bool Failure::fileAccess() const {
    switch (code & 0xff) {
        case SQLITE_CANTOPEN:
        case SQLITE_IOERR:
        case SQLITE_READONLY:
        case SQLITE_FULL:
            return true;
        default:
            return false;
    }
}

Connection::Connection(const std::string& file, Mode mode, Links links, std::string shown, FailureHandler onFailure)
    : path_(std::move(shown)), onFailure_(std::move(onFailure)) {
    // One thread uses a connection: SQLite need not lock each call.
    int flags = SQLITE_OPEN_NOMUTEX;
    if (links == Links::Refuse) flags |= SQLITE_OPEN_NOFOLLOW;
    std::string name = file;
    switch (mode) {
        case Mode::ReadWrite: flags |= SQLITE_OPEN_READWRITE; break;
        case Mode::ReadOnly: flags |= SQLITE_OPEN_READONLY; break;
        case Mode::Immutable:
            flags |= SQLITE_OPEN_READONLY | SQLITE_OPEN_URI;
            name = "file:" + uriPath(file) + "?immutable=1";
            break;
    }
    const int rc = sqlite3_open_v2(name.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        // The destructor does not run for a constructor that throws.
        lastFailure_ = failureOf(db_, Operation::Open, rc);
        sqlite3_close_v2(db_);
        db_ = nullptr;
        onFailure_(lastFailure_);
        std::abort();  // a handler that does not throw
    }
    sqlite3_extended_result_codes(db_, 1);
}

Connection::~Connection() { sqlite3_close_v2(db_); }

void Connection::fail(Operation operation, int rc) const {
    lastFailure_ = failureOf(db_, operation, rc);
    onFailure_(lastFailure_);
    std::abort();  // a handler that does not throw
}

void Connection::execute(const char* sql) {
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) fail(Operation::Execute, rc);
}

Statement Connection::prepare(std::string_view sql) {
    sqlite3_stmt* statement = nullptr;
    const int rc = sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &statement, nullptr);
    if (rc != SQLITE_OK) fail(Operation::Prepare, rc);
    return Statement(*this, statement);
}

std::int64_t Connection::lastRow() const { return sqlite3_last_insert_rowid(db_); }

std::int64_t Connection::integer(const char* sql) {
    Statement query = prepare(sql);
    return query.step() ? query.integer(0) : 0;
}

void Connection::setLockWait(std::chrono::milliseconds wait) { sqlite3_busy_timeout(db_, static_cast<int>(wait.count())); }

bool Connection::openedReadOnly() const { return sqlite3_db_readonly(db_, "main") == 1; }

void Connection::rollbackQuietly() noexcept {
    if (sqlite3_get_autocommit(db_) == 0) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

Statement::~Statement() { sqlite3_finalize(statement_); }

Statement& Statement::bind(int column, std::int64_t value) {
    sqlite3_bind_int64(statement_, column, value);
    return *this;
}

Statement& Statement::bindText(int column, std::string_view text) {
    sqlite3_bind_text64(statement_, column, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    return *this;
}

Statement& Statement::bindBlob(int column, std::string_view bytes) {
    sqlite3_bind_blob64(statement_, column, bytes.empty() ? "" : bytes.data(), bytes.size(), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::bindBlob(int column, const std::vector<std::uint8_t>& bytes) {
    return bindBlob(column, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

bool Statement::step() {
    const int rc = sqlite3_step(statement_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    sqlite3_reset(statement_);
    db_->fail(Operation::Step, rc);
}

void Statement::run() {
    while (step()) {
    }
    reset();
}

void Statement::reset() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

std::int64_t Statement::integer(int column) const { return sqlite3_column_int64(statement_, column); }

std::string Statement::data(int column) const {
    const void* bytes = sqlite3_column_blob(statement_, column);
    const int size = sqlite3_column_bytes(statement_, column);
    return bytes == nullptr ? std::string() : std::string(static_cast<const char*>(bytes), static_cast<std::size_t>(size));
}

std::string_view Statement::dataView(int column) const {
    const void* bytes = sqlite3_column_blob(statement_, column);
    const int size = sqlite3_column_bytes(statement_, column);
    return bytes == nullptr ? std::string_view() : std::string_view(static_cast<const char*>(bytes), static_cast<std::size_t>(size));
}

std::vector<std::uint8_t> Statement::dataBytes(int column) const {
    const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(statement_, column));
    const auto size = static_cast<std::size_t>(sqlite3_column_bytes(statement_, column));
    return bytes == nullptr ? std::vector<std::uint8_t>() : std::vector<std::uint8_t>(bytes, bytes + size);
}

bool Statement::isNull(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }

}  // namespace corvath::sqlite
