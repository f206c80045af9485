#include "results/connection.h"

#include "results/results_error.h"

namespace corvath {

namespace {

[[noreturn]] void throwResultsError(const std::string& shown, const sqlite::Failure& failure) {
    const std::string reason =
        failure.notADatabase() ? "it is not a Corvath scans database (not an SQLite file)" : failure.reason;
    std::string message = "cannot use the scans database " + shown + ": " + reason;
    if (failure.fileAccess()) throw ResultsFileAccessError(std::move(message));
    throw ResultsError(std::move(message));
}

}  // namespace

Connection::Connection(const std::string& file, Mode mode, const std::string& shown)
    : sqlite::Connection(file, mode, Links::Refuse, shown.empty() ? file : shown,
                         [name = shown.empty() ? file : shown](const sqlite::Failure& failure) { throwResultsError(name, failure); }) {}

}  // namespace corvath
