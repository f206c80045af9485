#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace corvath {

// What the command line asks of corvath-report.
struct ReportArguments {
    enum class Command { Help, Scans, Top, Files, Diff, History, Export, Prune, Metrics, Html };
    Command command = Command::Help;
    std::optional<std::string> target;  // PATH, DRIVE or FILE, as the command reads it
    std::size_t count = 20;             // -n
    std::optional<unsigned> depth;      // --depth
    std::optional<std::int64_t> scan;   // --scan, --to
    std::optional<std::int64_t> from;   // --from
    std::optional<std::chrono::system_clock::time_point> since;  // --since DATE, its local midnight
    bool bytes = false;                 // --bytes: exact numbers
    bool json = false;
    bool csv = false;                   // --csv: RFC 4180 records for scripts
    bool ncdu = false;
    std::optional<std::int64_t> compare;  // html --compare
    bool open = false;                    // html --open
    std::optional<std::string> database;  // --database FILE
    std::optional<std::size_t> top;     // metrics --top N
    bool redactHome = false;            // metrics --redact-home
};

// A command line that cannot be run; what() is the one line to show.
class ArgumentError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

ReportArguments parseReportArguments(const std::vector<std::string>& arguments);

// The help, naming the platform's default database as its users write it.
std::string reportUsage(std::string_view defaultDatabase);

}  // namespace corvath
