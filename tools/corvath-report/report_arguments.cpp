#include "report_arguments.h"

#include <charconv>
#include <cstdio>
#include <ctime>
#include <limits>
#include <map>
#include <set>

#include "results/retention.h"
#include "text/database_option.h"
#include "text/paths.h"

namespace corvath {

std::string reportUsage(std::string_view defaultDatabase) {
    return "Usage: corvath-report COMMAND [OPTIONS] [ARGUMENT]\n"
           "Shows where the space went, from the scans Corvath Analyzer stored.\n"
           "\n"
           "Commands:\n"
           "  scans [DRIVE]                      the stored scans: id, drive, finished, the drive's used bytes,\n"
           "                                     the bytes counted, files, folders, errors, duration\n"
           "  top [-n N] [--depth D] [--scan ID] [PATH]\n"
           "                                     the largest folders under PATH (default: each drive's latest scan)\n"
           "  files [-n N] [--scan ID] [PATH]    the largest files\n"
           "  diff [--from ID | --since DATE] [--to ID] [-n N] [PATH]\n"
           "                                     what grew and shrank between two scans of a drive\n"
           "                                     (default: its latest and the one before)\n"
           "  history [DRIVE]                    a drive's totals, scan by scan\n"
           "                                     (diff and history warn where the exclude patterns differ)\n"
           "  export --ncdu [--scan ID] FILE|-   a stored scan in ncdu's JSON format (ncdu -f FILE)\n"
           "  metrics [--top N] [--depth D] [--redact-home] [FILE|-]\n"
           "                                     each drive's latest scan for Prometheus (node_exporter's textfile\n"
           "                                     collector): its N largest folders (50) down to depth D (2);\n"
           "                                     --redact-home puts pseudonyms for user names in paths\n"
           "  html [--scan ID] [--compare ID] [--open] [FILE|-]\n"
           "                                     one self-contained HTML page of a scan (default: the scan made\n"
           "                                     last): its folders as a tree and a treemap, its largest files,\n"
           "                                     the drive's history; with --compare, what grew since that scan;\n"
           "                                     --open writes it beside the default database and opens it\n"
           "  prune                              keep the newest " + std::to_string(kKeptNewestScans) +
           " scans of each drive and the last of each\n"
           "                                     of the last " + std::to_string(kKeptMonths) +
           " months; free the rest\n"
           "\n"
           "Options:\n"
           "  -n N            how many lines (default 20)\n"
           "  --bytes         exact byte counts instead of KiB, MiB, GiB\n"
           "  --json          JSON for programs\n"
           "  --csv           CSV for scripts (RFC 4180, CRLF; exact bytes, UTC times; scans, top,\n"
           "                  files, diff, history)\n"
           "  --database FILE the scans database (default " + std::string(defaultDatabase) + ")\n"
           "  --help, --version\n"
           "\n"
           "DATE is YYYY-MM-DD (local time). A PATH is matched to the drive whose scan holds it.\n"
#ifdef _WIN32
           "A DRIVE is named by its letter or its root: C: or C:\\.\n";
#else
           "A DRIVE is named by its mount point, with or without a closing slash: /home or /home/.\n";
#endif
}

namespace {

std::int64_t number(const std::string& option, const std::string& text,
                    std::int64_t most = std::numeric_limits<std::int64_t>::max()) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0 || value > most) {
        throw ArgumentError(option + " needs a number from 0 to " + std::to_string(most) + ", not \"" + text + "\"");
    }
    return value;
}

// Local midnight of a YYYY-MM-DD date the clock can hold.
std::chrono::system_clock::time_point localDate(const std::string& text) {
    using namespace std::chrono;
    int y = 0;
    unsigned m = 0, d = 0;
    int consumed = 0;
    const bool parsed = std::sscanf(text.c_str(), "%4d-%2u-%2u%n", &y, &m, &d, &consumed) == 3 &&
                        static_cast<std::size_t>(consumed) == text.size() && text.size() == 10;
    const year_month_day date{year(y), month(m), day(d)};
    // The clock counts nanoseconds: it ends in April 2262.
    if (!parsed || !date.ok() || date < 1970y / January / 1 || date > 2262y / April / 10) {
        throw ArgumentError("--since needs a date as YYYY-MM-DD from 1970-01-01 to 2262-04-10, not \"" + text + "\"");
    }
    std::tm parts{};
    parts.tm_year = y - 1900;
    parts.tm_mon = static_cast<int>(m) - 1;
    parts.tm_mday = static_cast<int>(d);
    parts.tm_isdst = -1;
    return system_clock::from_time_t(std::mktime(&parts));
}

// The options each command reads; any other is a mistake, not to be ignored.
const std::set<std::string>& optionsOf(ReportArguments::Command command) {
    using Command = ReportArguments::Command;
    static const std::map<Command, std::set<std::string>> kOptions = {
        {Command::Scans, {"--bytes", "--json", "--csv", "--database"}},
        {Command::History, {"--bytes", "--json", "--csv", "--database"}},
        {Command::Top, {"-n", "--depth", "--scan", "--bytes", "--json", "--csv", "--database"}},
        {Command::Files, {"-n", "--scan", "--bytes", "--json", "--csv", "--database"}},
        {Command::Diff, {"-n", "--from", "--since", "--to", "--scan", "--bytes", "--json", "--csv", "--database"}},
        {Command::Export, {"--ncdu", "--scan", "--database"}},
        {Command::Prune, {"--json", "--database"}},
        {Command::Metrics, {"--top", "--depth", "--redact-home", "--database"}},
        {Command::Html, {"--scan", "--compare", "--open", "--database"}},
        {Command::Help, {}}};
    return kOptions.at(command);
}

const char* nameOf(ReportArguments::Command command) {
    using Command = ReportArguments::Command;
    switch (command) {
        case Command::Scans: return "scans";
        case Command::History: return "history";
        case Command::Top: return "top";
        case Command::Files: return "files";
        case Command::Diff: return "diff";
        case Command::Export: return "export";
        case Command::Prune: return "prune";
        case Command::Metrics: return "metrics";
        case Command::Html: return "html";
        default: return "help";
    }
}

}  // namespace

ReportArguments parseReportArguments(const std::vector<std::string>& arguments) {
    using Command = ReportArguments::Command;
    static const std::map<std::string, Command> kCommands = {
        {"scans", Command::Scans}, {"top", Command::Top},         {"files", Command::Files},
        {"diff", Command::Diff},   {"history", Command::History}, {"export", Command::Export},
        {"prune", Command::Prune}, {"help", Command::Help},         {"metrics", Command::Metrics},
        {"html", Command::Html}};
    ReportArguments parsed;
    bool commandSeen = false;
    std::vector<std::string> given;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= arguments.size()) throw ArgumentError(argument + " needs a value");
            return arguments[++i];
        };
        if (argument.size() > 1 && argument[0] == '-') given.push_back(argument);
        if (argument == "-n") {
            parsed.count = static_cast<std::size_t>(number(argument, value()));
        } else if (argument == "--top") {
            parsed.top = static_cast<std::size_t>(number(argument, value()));
        } else if (argument == "--redact-home") {
            parsed.redactHome = true;
        } else if (argument == "--depth") {
            parsed.depth = static_cast<unsigned>(number(argument, value(), std::numeric_limits<unsigned>::max()));
        } else if (argument == "--scan" || argument == "--to") {
            parsed.scan = number(argument, value());
        } else if (argument == "--from") {
            parsed.from = number(argument, value());
        } else if (argument == "--since") {
            parsed.since = localDate(value());
        } else if (takeDatabaseOption(arguments, i, parsed.database)) {
        } else if (argument == "--bytes") {
            parsed.bytes = true;
        } else if (argument == "--json") {
            parsed.json = true;
        } else if (argument == "--csv") {
            parsed.csv = true;
        } else if (argument == "--ncdu") {
            parsed.ncdu = true;
        } else if (argument == "--compare") {
            parsed.compare = number(argument, value());
        } else if (argument == "--open") {
            parsed.open = true;
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
    for (const std::string& option : given) {
        if (!optionsOf(parsed.command).contains(option)) {
            throw ArgumentError(std::string(nameOf(parsed.command)) + " does not take " + option +
                                " (see corvath-report --help)");
        }
    }
    if (parsed.from && parsed.since) throw ArgumentError("--from and --since cannot both be given");
    if (parsed.csv && parsed.json) throw ArgumentError("--csv and --json cannot both be given: choose one format");
    if (parsed.command == Command::Export) {
        if (!parsed.ncdu) throw ArgumentError("export needs --ncdu, the one format it writes");
        if (!parsed.target) throw ArgumentError("export needs a FILE, or - for standard output");
    }
    if (parsed.command == Command::Html && parsed.open && parsed.target) {
        throw ArgumentError("html --open writes its own file: give no FILE with it");
    }
    // "T:" names the drive T:\ wherever a command takes a drive or a path in one.
    if (parsed.command != Command::Export && parsed.command != Command::Metrics && parsed.command != Command::Html && parsed.target) parsed.target = driveLetterAsRoot(*parsed.target);
    return parsed;
}

}  // namespace corvath
