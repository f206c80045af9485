#include "scan_arguments.h"

#include <charconv>
#include <stdexcept>
#include <string>

namespace corvath {

namespace {

unsigned parseThreads(const std::string& text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > kMostThreads) {
        throw std::invalid_argument("-j wants a number of threads from 1 to " + std::to_string(kMostThreads) +
                                    ", not '" + text + "'");
    }
    return value;
}

}  // namespace

ScanArguments parseScanArguments(const std::vector<std::string>& arguments) {
    ScanArguments parsed;
    bool havePath = false;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (argument == "--exclude" || argument.rfind("--exclude=", 0) == 0)) {
            std::string pattern;
            if (argument.size() > 9) {
                pattern = argument.substr(10);
            } else if (i + 1 < arguments.size()) {
                pattern = arguments[++i];
            } else {
                throw std::invalid_argument("--exclude needs a pattern");
            }
            if (pattern.empty()) throw std::invalid_argument("--exclude needs a pattern, not an empty one");
            parsed.excludes.push_back(std::move(pattern));
        } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
            const char option = argument[1];
            if (option != 'j' && option != 'o') throw std::invalid_argument("unknown option '" + argument + "'");
            std::string value;
            if (argument.size() > 2) {
                value = argument.substr(2);
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                throw std::invalid_argument(std::string("-") + option + " needs a value");
            }
            if (option == 'j') {
                parsed.threads = parseThreads(value);
            } else {
                if (value.empty()) throw std::invalid_argument("-o needs a file name");
                if (parsed.output) throw std::invalid_argument("-o given twice ('" + *parsed.output + "' and '" + value + "')");
                parsed.output = value;
            }
        } else if (havePath) {
            throw std::invalid_argument("more than one PATH given ('" + parsed.path + "' and '" + argument + "')");
        } else {
            if (argument.empty()) throw std::invalid_argument("PATH is empty");
            parsed.path = argument;
            havePath = true;
        }
    }
    if (!havePath) throw std::invalid_argument("no PATH given");
    return parsed;
}

}  // namespace corvath
