#include "report_arguments.h"

#include <charconv>
#include <map>

namespace corvath {

const char* const kReportUsage =
    "Usage: corvath-report COMMAND [OPTIONS] [ARGUMENT]\n"
    "Shows where the space went, from the scans Corvath Analyzer stored.\n"
    "\n"
    "Commands:\n"
    "  scans [DRIVE]                      the stored scans: id, drive, finished, used, files, folders, duration\n"
    "  top [-n N] [--depth D] [--scan ID] [PATH]\n"
    "                                     the largest folders under PATH (default: each drive's latest scan)\n"
    "  files [-n N] [--scan ID] [PATH]    the largest files\n"
    "  diff [--from ID | --since DATE] [--to ID] [-n N] [PATH]\n"
    "                                     what grew and shrank between two scans of a drive\n"
    "                                     (default: its latest and the one before)\n"
    "  history [DRIVE]                    a drive's totals, scan by scan\n"
    "  export --ncdu [--scan ID] FILE|-   a stored scan in ncdu's JSON format (ncdu -f FILE)\n"
    "  prune                              keep the newest 10 scans of each drive and the last of each\n"
    "                                     of the last 24 months; free the rest\n"
    "\n"
    "Options:\n"
    "  -n N            how many lines (default 20)\n"
    "  --bytes         exact byte counts instead of KiB, MiB, GiB\n"
    "  --json          JSON for programs\n"
    "  --database FILE the scans database (default ~/.local/share/corvath/scans.db)\n"
    "  --help, --version\n"
    "\n"
    "DATE is YYYY-MM-DD (local time). A PATH is matched to the drive whose scan holds it.\n";

namespace {

std::int64_t number(const std::string& option, const std::string& text) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0) {
        throw ArgumentError(option + " needs a number, not \"" + text + "\"");
    }
    return value;
}

}  // namespace

ReportArguments parseReportArguments(const std::vector<std::string>& arguments) {
    using Command = ReportArguments::Command;
    static const std::map<std::string, Command> kCommands = {
        {"scans", Command::Scans}, {"top", Command::Top},         {"files", Command::Files},
        {"diff", Command::Diff},   {"history", Command::History}, {"export", Command::Export},
        {"prune", Command::Prune}, {"help", Command::Help}};
    ReportArguments parsed;
    bool commandSeen = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= arguments.size()) throw ArgumentError(argument + " needs a value");
            return arguments[++i];
        };
        if (argument == "--help" || argument == "-h") return ReportArguments{};
        if (argument == "--version") {
            parsed.command = Command::Version;
            return parsed;
        }
        if (argument == "-n") {
            parsed.count = static_cast<std::size_t>(number(argument, value()));
        } else if (argument == "--depth") {
            parsed.depth = static_cast<unsigned>(number(argument, value()));
        } else if (argument == "--scan" || argument == "--to") {
            parsed.scan = number(argument, value());
        } else if (argument == "--from") {
            parsed.from = number(argument, value());
        } else if (argument == "--since") {
            parsed.since = value();
        } else if (argument == "--database") {
            parsed.database = value();
        } else if (argument == "--bytes") {
            parsed.bytes = true;
        } else if (argument == "--json") {
            parsed.json = true;
        } else if (argument == "--ncdu") {
            parsed.ncdu = true;
        } else if (argument.size() > 1 && argument[0] == '-' && argument != "-") {
            throw ArgumentError("unknown option " + argument + " (see corvath-report --help)");
        } else if (!commandSeen) {
            const auto found = kCommands.find(argument);
            if (found == kCommands.end()) {
                throw ArgumentError("unknown command \"" + argument + "\" (see corvath-report --help)");
            }
            parsed.command = found->second;
            commandSeen = true;
        } else if (!parsed.target) {
            parsed.target = argument;
        } else {
            throw ArgumentError("one argument at most after the command, not also \"" + argument + "\"");
        }
    }
    if (!commandSeen) throw ArgumentError("no command given (see corvath-report --help)");
    if (parsed.from && parsed.since) throw ArgumentError("--from and --since cannot both be given");
    if (parsed.command == Command::Export) {
        if (!parsed.ncdu) throw ArgumentError("export needs --ncdu, the one format it writes");
        if (!parsed.target) throw ArgumentError("export needs a FILE, or - for standard output");
    }
    return parsed;
}

}  // namespace corvath
