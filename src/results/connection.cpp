#include "results/connection.h"

#include <sqlite3.h>

#include "results/results_error.h"

namespace corvath {

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

}  // namespace

Connection::Connection(const std::string& file, Mode mode, const std::string& shown)
    : path_(shown.empty() ? file : shown) {
    // One thread uses a connection: SQLite need not lock each call.
    int flags = SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_NOMUTEX;
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
    if (rc != SQLITE_OK) fail(rc);
    sqlite3_extended_result_codes(db_, 1);
}

Connection::~Connection() { sqlite3_close_v2(db_); }

void Connection::execute(const char* sql) {
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) fail(rc);
}

Statement Connection::prepare(const char* sql) {
    sqlite3_stmt* statement = nullptr;
    const int rc = sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr);
    if (rc != SQLITE_OK) fail(rc);
    return Statement(*this, statement);
}

std::int64_t Connection::lastRow() const { return sqlite3_last_insert_rowid(db_); }

std::int64_t Connection::integer(const char* sql) {
    Statement query = prepare(sql);
    return query.step() ? query.integer(0) : 0;
}

void Connection::setLockWait(int milliseconds) { sqlite3_busy_timeout(db_, milliseconds); }

void Connection::fail(int rc, std::string_view doing) const {
    std::string reason = db_ != nullptr && sqlite3_errcode(db_) == rc ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    if ((rc & 0xff) == SQLITE_NOTADB) reason = "it is not a Corvath scans database (not an SQLite file)";
    std::string message = "cannot use the scans database " + path_ + (doing.empty() ? "" : " (") +
                          std::string(doing) + (doing.empty() ? "" : ")") + ": " + reason;
    switch (rc & 0xff) {
        case SQLITE_CANTOPEN:
        case SQLITE_IOERR:
        case SQLITE_READONLY:
        case SQLITE_FULL:
            throw ResultsFileAccessError(std::move(message));
        default:
            throw ResultsError(std::move(message));
    }
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
    // An empty BLOB is still a BLOB, not NULL.
    sqlite3_bind_blob64(statement_, column, bytes.empty() ? "" : bytes.data(), bytes.size(), SQLITE_TRANSIENT);
    return *this;
}

bool Statement::step() {
    const int rc = sqlite3_step(statement_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    sqlite3_reset(statement_);
    db_->fail(rc);
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

std::string Statement::bytes(int column) const {
    const void* data = sqlite3_column_blob(statement_, column);
    const int size = sqlite3_column_bytes(statement_, column);
    return data == nullptr ? std::string() : std::string(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

bool Statement::isNull(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }

}  // namespace corvath
