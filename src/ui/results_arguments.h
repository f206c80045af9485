#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvath {

// What corvath-results' command line asks, once the toolkit has taken its own
// options (-style, -platform and the like) out of it.
struct ResultsArguments {
    std::optional<std::string> database;  // --database FILE
};

// Throws std::invalid_argument with the one line to show ("unknown option
// --frobnicate ...") for anything else.
ResultsArguments parseResultsArguments(const std::vector<std::string>& arguments);

// The help, naming the user's database where the scans are read from.
std::string resultsUsage(std::string_view defaultDatabase);

}  // namespace corvath
