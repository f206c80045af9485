// corvath-scan as a user runs it: totals, the ncdu export, bad arguments.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <sstream>
#include <sys/stat.h>

#include "engine/ncdu_json.h"
#include "engine/scan_reference.h"
#include "ncdu_export.h"
#include "engine/unmount_guard.h"
#include "support/mount_namespace.h"
#include "support/temp_dir.h"

namespace corvath::test {
namespace {

namespace fs = std::filesystem;

std::map<std::string, std::string> parseSummary(const std::string& text) {
    std::map<std::string, std::string> values;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const auto colon = line.find(": ");
        if (colon != std::string::npos) values[line.substr(0, colon)] = line.substr(colon + 2);
    }
    return values;
}

std::string scan(const std::string& arguments, int* status = nullptr) {
    return runCommand(std::string(CORVATH_SCAN_BINARY) + " " + arguments, status);
}

// ncdu imports the file and writes it out again; it prints its complaint on
// standard error and writes nothing when it cannot read the file.
std::string ncduReexport(const fs::path& file, const fs::path& out) {
    return runCommand("HOME=/nonexistent ncdu --ignore-config -0 -f " + shellQuote(file.string()) + " -o " +
                      shellQuote(out.string()) + " 2>&1");
}

TEST(CorvathScan, PrintsTotalsThatMatchDuAndFind) {
    TempDir tree;
    makeAwkwardTree(tree.path());
    int status = -1;
    const auto summary = parseSummary(scan("-j 3 " + shellQuote(tree.path().string()), &status));
    EXPECT_EQ(status, 0);
    const Reference reference = referenceFor(tree.path());
    EXPECT_EQ(summary.at("allocated"), std::to_string(reference.allocated));
    EXPECT_EQ(summary.at("apparent"), std::to_string(reference.apparent));
    EXPECT_EQ(std::stoull(summary.at("files")) + std::stoull(summary.at("folders")), reference.entries);
    EXPECT_EQ(summary.at("errors"), "0");
    EXPECT_GE(std::stod(summary.at("seconds")), 0.0);
}

TEST(CorvathScan, ExportIsReadByNcduAndAgreesWithTheTotals) {
    std::string reason;
    const bool namespaced = enterPrivateMountNamespace(reason);
    TempDir tree, out;
    std::optional<UnmountGuard> unmount;
    makeAwkwardTree(tree.path());
    writeFile(tree / "ctl\r\b\f\x7f\x01", "c");
    if (namespaced) {
        fs::create_directory(tree / "mnt");
        mountTmpfs((tree / "mnt").string());
        unmount.emplace((tree / "mnt").string());
        writeFile(tree / "mnt" / "unseen", "u");
    }
    const fs::path file = out / "export.json";
    int status = -1;
    const auto summary = parseSummary(scan("-o " + shellQuote(file.string()) + " " + shellQuote(tree.path().string()), &status));
    ASSERT_EQ(status, 0);

    const std::string json = readFile(file);
    const ExportTotals totals = readExportTotals(json);
    EXPECT_EQ(totals.progname, "corvath-scan");
    EXPECT_EQ(totals.rootName, fs::canonical(tree.path()).string());
    EXPECT_EQ(std::to_string(totals.allocated), summary.at("allocated"));
    EXPECT_EQ(std::to_string(totals.apparent), summary.at("apparent"));
    EXPECT_EQ(std::to_string(totals.files), summary.at("files"));
    EXPECT_EQ(std::to_string(totals.folders), summary.at("folders"));
    if (namespaced) {
        EXPECT_NE(json.find("\"excluded\":\"othfs\""), std::string::npos);
    }

    const fs::path again = out / "again.json";
    EXPECT_EQ(ncduReexport(file, again), "");
    const ExportTotals reread = readExportTotals(readFile(again));
    EXPECT_EQ(reread.allocated, totals.allocated);
    EXPECT_EQ(reread.apparent, totals.apparent);
    EXPECT_EQ(reread.files, totals.files);
    EXPECT_EQ(reread.folders, totals.folders);
    // Every name survives the round trip byte for byte: the items after the header match.
    std::string ours = json.substr(json.find('\n'));
    std::string theirs = readFile(again);
    theirs = theirs.substr(theirs.find('\n'));
    // ncdu 1.18 writes an imported "othfs" exclusion back as "pattern".
    for (std::size_t at; (at = theirs.find("\"excluded\":\"pattern\"")) != std::string::npos;) {
        theirs.replace(at, 20, "\"excluded\":\"othfs\"");
    }
    EXPECT_EQ(ours, theirs + "\n");
}

TEST(CorvathScan, ExcludedFoldersAreCountedWithoutSizeAndExportedAsNcduDoes) {
    TempDir tree, out;
    writeFile(tree / "keep" / "cache" / "b", std::string(80000, 'b'));
    writeFile(tree / "tmp" / "c", std::string(60000, 'c'));
    int status = -1;
    const auto summary = parseSummary(scan("--exclude cache --exclude=/tmp -o " + shellQuote((out / "s.json").string()) +
                                           " " + shellQuote(tree.path().string()), &status));
    ASSERT_EQ(status, 0);
    EXPECT_EQ(summary.at("allocated"), std::to_string(allocatedByDu(tree.path()) - allocatedByDu(tree / "tmp") -
                                                      allocatedByDu(tree / "keep" / "cache")));
    EXPECT_EQ(summary.at("folders"), "4");
    EXPECT_NE(readFile(out / "s.json").find("[{\"name\":\"tmp\",\"excluded\":\"pattern\"}]"), std::string::npos);
    EXPECT_EQ(ncduReexport(out / "s.json", out / "again.json"), "");
}

TEST(CorvathScan, ExportToStandardOutputMovesTheSummaryToStandardError) {
    TempDir tree, out;
    writeFile(tree / "a" / "b", "bb");
    const std::string json = scan("-o - " + shellQuote(tree.path().string()) + " 2>" + shellQuote((out / "err").string()));
    const ExportTotals totals = readExportTotals(json);
    const auto summary = parseSummary(readFile(out / "err"));
    EXPECT_EQ(std::to_string(totals.files), summary.at("files"));
    EXPECT_EQ(totals.files, 1u);
    EXPECT_EQ(totals.folders, 2u);
}

TEST(CorvathScan, UnreadableFolderIsMarkedInTheExport) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to run the scan as another user";
    if (runCommand("command -v setpriv").empty()) GTEST_SKIP() << "setpriv is not installed";
    TempDir tree, out;
    fs::permissions(tree.path(), fs::perms::all, fs::perm_options::replace);
    fs::permissions(out.path(), fs::perms::all, fs::perm_options::replace);
    writeFile(tree / "locked" / "secret", "s");
    ::chmod((tree / "locked").c_str(), 0);
    int status = -1;
    const std::string command = "setpriv --reuid=65534 --regid=65534 --clear-groups " + std::string(CORVATH_SCAN_BINARY) +
                                " -o " + shellQuote((out / "x.json").string()) + " " + shellQuote(tree.path().string());
    const auto summary = parseSummary(runCommand(command, &status));
    if (status == 126 || status == 127) GTEST_SKIP() << "the unprivileged user cannot run the build's binary";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(summary.at("errors"), "1");
    const ExportTotals totals = readExportTotals(readFile(out / "x.json"));
    EXPECT_EQ(totals.readErrors, 1u);
    EXPECT_EQ(ncduReexport(out / "x.json", out / "y.json"), "");
}

TEST(CorvathScan, BadArgumentsGiveOneLineAndStatusTwoAndAPathNotScannedOne) {
    TempDir dir;
    writeFile(dir / "file", "x");
    const std::string existing = shellQuote(dir.path().string());
    const std::vector<std::string> cases = {std::string(""), "-x " + existing, "-j", "-j 0 " + existing, "-j abc " + existing, "-j 1000 " + existing,
          existing + " " + existing, "-o a.json -o b.json " + existing, existing + " --exclude",
          "--exclude= " + existing};
    for (const std::string& arguments : cases) {
        SCOPED_TRACE(arguments);
        int status = -1;
        const std::string output = scan(arguments + " 2>&1", &status);
        EXPECT_EQ(status, 2);
        ASSERT_FALSE(output.empty());
        EXPECT_EQ(output.find('\n'), output.size() - 1) << output;
        EXPECT_EQ(output.rfind("corvath-scan: ", 0), 0u) << output;
    }
    // A PATH that cannot be scanned is a failed scan, not a bad argument.
    int status = -1;
    EXPECT_EQ(scan("/no/such/folder 2>&1", &status), "corvath-scan: cannot analyze /no/such/folder: No such file or directory\n");
    EXPECT_EQ(status, 1);
    scan(shellQuote((dir / "file").string()) + " 2>/dev/null", &status);
    EXPECT_EQ(status, 1);
    // A leading dash after "--" is a path.
    fs::create_directory(dir / "-dash");
    const std::string inDir = "cd " + existing + " && " + std::string(CORVATH_SCAN_BINARY) + " -- -dash";
    runCommand(inDir, &status);
    EXPECT_EQ(status, 0);
}

TEST(NcduString, EscapesLikeNcdu) {
    EXPECT_EQ(ncduString("plain"), "\"plain\"");
    EXPECT_EQ(ncduString("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(ncduString("\n\r\b\t\f"), "\"\\n\\r\\b\\t\\f\"");
    EXPECT_EQ(ncduString(std::string("\x01\x1f\x7f", 3)), "\"\\u0001\\u001f\\u007f\"");
    EXPECT_EQ(ncduString("\xff\xfe caf\xc3\xa9"), "\"\xff\xfe caf\xc3\xa9\"");
}

}  // namespace
}  // namespace corvath::test
