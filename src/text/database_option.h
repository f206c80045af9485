#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace corvath {

// "--database FILE": the scans database to read in place of the user's, as
// corvath-report and corvath-results both take it.
//
// When arguments[at] is that option, takes FILE into database, moves at onto
// FILE and returns true; throws std::invalid_argument, with the line to show,
// when no FILE follows.
inline bool takeDatabaseOption(const std::vector<std::string>& arguments, std::size_t& at,
                               std::optional<std::string>& database) {
    if (arguments[at] != "--database") return false;
    if (at + 1 >= arguments.size() || arguments[at + 1].empty()) {
        throw std::invalid_argument("--database needs a FILE, the scans database to read");
    }
    database = arguments[++at];
    return true;
}

// The database a program reads: the one --database named, else the user's own.
inline std::string chosenDatabase(const std::optional<std::string>& named, const std::filesystem::path& usersOwn) {
    return named ? *named : usersOwn.string();
}

}  // namespace corvath
