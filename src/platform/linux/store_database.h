#pragma once

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#include "sqlite/connection.h"
#include "sqlite/transaction.h"

namespace corvath {

// A store problem worth one line to the person at the command line: an
// unreadable, foreign or corrupt file, or one locked past the busy timeout. The
// message is a whole sentence without its full stop.
class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One connection to a registry store file. It only ever opens files that exist
// and checks that a file is a sound store of ours before anyone reads or writes
// it, so a foreign or damaged file is never changed. Every failure is a StoreError.
class StoreDatabase : public sqlite::Connection {
public:
    // Null when the file does not exist; throws StoreError when it exists but is
    // not a readable, sound store.
    static std::unique_ptr<StoreDatabase> openExisting(const std::filesystem::path& file);
    // Creates a new store at file unless one appears there first, holding the
    // product's settings key with no values. The file comes into being complete
    // (built aside, then linked into place), never half made.
    static void createIfMissing(const std::filesystem::path& file);

    // True when this process may not change the store: the file or its folder is
    // read-only to us, so a write (which needs a journal beside the file) would fail.
    bool readOnly() const { return readOnly_; }
    const std::filesystem::path& file() const { return file_; }

    // Runs body inside a write transaction taken up front, so that concurrent
    // writers queue on the busy timeout instead of failing on a lock upgrade.
    template <typename Body>
    void writeTransaction(Body&& body) {
        sqlite::inWriteTransaction(*this, std::forward<Body>(body));
    }

    [[noreturn]] void fail(const std::string& what) const;

private:
    explicit StoreDatabase(std::filesystem::path file);
    void checkSound();

    std::filesystem::path file_;
    bool readOnly_ = false;
};

}  // namespace corvath
