#include "ui/results_arguments.h"

#include "text/database_option.h"

#include <stdexcept>

namespace corvath {

ResultsArguments parseResultsArguments(const std::vector<std::string>& arguments) {
    ResultsArguments parsed;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (takeDatabaseOption(arguments, i, parsed.database)) continue;
        const std::string& argument = arguments[i];
        const bool option = argument.size() > 1 && argument[0] == '-';
        throw std::invalid_argument((option ? "unknown option " : "unexpected argument \"") + argument +
                                    (option ? "" : "\"") + " (see corvath-results --help)");
    }
    return parsed;
}

std::string resultsUsage(std::string_view defaultDatabase) {
    return "usage: corvath-results [--database FILE] [--help] [--version]\n"
           "Shows the stored scans of your drives: the largest folders and files, a treemap, what grew since an "
           "earlier scan,\nand each drive's used space over time.\n"
           "  --database FILE  the scans database to read (default " +
           std::string(defaultDatabase) +
           ")\n"
           "Make scans with Corvath Analyzer or \"corvath-analyzer -auto\".\n"
           "Exit status: 0 when the window is closed; 2 for an unknown argument or no display to show it on.\n";
}

}  // namespace corvath
