#include "platform/linux/user_folders.h"
#include "reg_arguments.h"
#include "reg_commands.h"
#include "text/standard_options.h"

#include <iostream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

// Asks on the terminal; without one there is nobody to ask.
std::optional<bool> askOnTerminal(const std::string& question) {
    if (::isatty(STDIN_FILENO) == 0) {
        return std::nullopt;
    }
    std::cout << question << ' ' << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) {
        std::cout << '\n';
        return std::nullopt;
    }
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

}  // namespace

int main(int argc, char** argv) {
    std::ostringstream help;
    corvath::printRegUsage(help);
    int status = 0;
    if (corvath::answerStandardOption(argc, argv, "corvath-reg", help.str(), std::cout, status)) return status;
    const std::vector<std::string> args(argv + 1, argv + argc);
    corvath::RegArguments parsed;
    try {
        parsed = corvath::parseRegArguments(args);
    } catch (const corvath::RegUsageError& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
    corvath::RegistryStoreEditor store(corvath::defaultRegistryStorePath());
    return corvath::runRegCommand(parsed, store, std::cout, std::cerr, askOnTerminal);
}
