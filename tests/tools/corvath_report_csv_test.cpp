// corvath-report --csv as scripts read it: Python's csv module parses it back
// to the values --json gives.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <set>

#include "engine/event_pump.h"
#include "engine/scan_reference.h"
#include "engine/scanner.h"
#include "results/results_database.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace corvath::test {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

void storeScan(const fs::path& database, const fs::path& tree, std::vector<std::string> excludes = {}) {
    WaitPump pump;
    ResultsDatabase results(database.string());
    ScannerOptions options{2};
    options.excludedFolders = std::move(excludes);
    Scanner scanner(pump, results, options);
    scanner.AnalyzeDrive(tree.string());
    scanner.FinishDrive();
}

// A time zone far from UTC, so that local time in place of UTC shows.
ProgramRun reportIn(const fs::path& database, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {CORVATH_REPORT_BINARY, "--database", database.string()});
    return runProgram(arguments, {"TZ=XST-5:30", "LANG=C"});
}

TEST(CorvathReportCsv, EachCommandReadsBackAsItsJsonWhateverTheNamesHold) {
    if (std::string(CORVATH_PYTHON).ends_with("NOTFOUND")) GTEST_SKIP() << "needs python3 for its csv module";
    TempDir tree, other, data;
    const fs::path database = data / "scans.db";
    const std::vector<std::string> names{"comma,name", "say \"hi\"", "two\nlines", "carriage\rreturn",
                                         std::string("not utf-8 \xff"), " spaced ", "plain"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        writeFile(tree / names[i] / ("file, \"" + std::to_string(i) + "\"\n"), std::string(4096 * (i + 1), 'x'));
    }
    writeFile(tree / "cache" / "big", std::string(90000, 'c'));
    writeFile(other / "elsewhere" / "f", std::string(7000, 'o'));
    storeScan(database, tree.path());
    storeScan(database, other.path());
    writeFile(tree / "two\nlines" / "grown", std::string(300000, 'g'));
    storeScan(database, tree.path(), {"cache/"});  // the diff is not like for like: a warning

    const std::string root = tree.path().string();
    for (const std::vector<std::string>& command : std::vector<std::vector<std::string>>{
             {"scans"}, {"history", root}, {"top", "-n", "100"}, {"files", "-n", "100"}, {"diff", "-n", "100"}}) {
        std::vector<std::string> asJson = command, asCsv = command;
        asJson.push_back("--json"), asCsv.push_back("--csv");
        const ProgramRun jsonRun = reportIn(database, asJson), csvRun = reportIn(database, asCsv);
        ASSERT_EQ(jsonRun.status, 0) << jsonRun.err;
        ASSERT_EQ(csvRun.status, 0) << csvRun.err;
        writeFile(data / "out.csv", csvRun.out);
        writeFile(data / "out.json", jsonRun.out);
        int status = 0;
        const std::string checked = runCommand(std::string(CORVATH_PYTHON) + " " + shellQuote(CORVATH_CSV_CHECK) + " " +
                                                   shellQuote((data / "out.csv").string()) + " " +
                                                   shellQuote((data / "out.json").string()) + " 2>&1",
                                               &status);
        EXPECT_EQ(status, 0) << command[0] << ":\n" << checked << csvRun.out;
        EXPECT_EQ(checked, std::to_string(json::parse(jsonRun.out).size()) + "\n") << command[0];
        // Standard output is records only; what text mode warns of goes to standard error.
        EXPECT_EQ(csvRun.err.find("warning:") != std::string::npos, command[0] == "diff" || command[0] == "history")
            << command[0] << ": " << csvRun.err;
    }

    // The rows compared did hold every kind of name, and both drives' scans.
    std::set<std::string> paths, drives;
    std::size_t exact = 0;
    for (const json& row : json::parse(reportIn(database, {"top", "-n", "100", "--json"}).out)) {
        paths.insert(row["path"].get<std::string>());
        drives.insert(row["drive"].get<std::string>());
        exact += row.contains("path_base64");
    }
    for (const std::string& name : names) {
        EXPECT_TRUE(paths.contains(root + "/" + name) || name.find('\xff') != std::string::npos) << name;
    }
    EXPECT_EQ(exact, 1u);
    EXPECT_EQ(drives.size(), 2u);
}

TEST(CorvathReportCsv, CsvBesideJsonIsRefusedInOneLine) {
    TempDir data;
    const ProgramRun refused = reportIn(data / "none.db", {"top", "--csv", "--json"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, "corvath-report: --csv and --json cannot both be given: choose one format\n");
}

}  // namespace
}  // namespace corvath::test
