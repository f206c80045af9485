// corvath-report as a user runs it, over scans of real trees.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sqlite3.h>
#include <nlohmann/json.hpp>
#include <sstream>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engine/event_pump.h"
#include "engine/unmount_guard.h"
#include "engine/scan_reference.h"
#include "engine/scanner.h"
#include "results/results_database.h"
#include "support/mount_namespace.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace corvath::test {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

struct Report {
    ProgramRun run;
    json parsed() const { return json::parse(run.out); }
};

Report report(const fs::path& database, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {CORVATH_REPORT_BINARY, "--database", database.string()});
    return {runProgram(arguments, {"TZ=UTC", "LANG=C"})};
}

void store(const fs::path& database, const fs::path& tree) {
    WaitPump pump;
    ResultsDatabase results(database.string());
    Scanner scanner(pump, results, ScannerOptions{2});
    scanner.AnalyzeDrive(tree.string());
    scanner.FinishDrive();
}

// A tmpfs of its own where the test may make one, so that nothing else
// changes the tree; a plain temporary folder otherwise.
class ReportTree : public ::testing::Test {
protected:
    void SetUp() override {
        namespaced = enterPrivateMountNamespace(reason);
        if (namespaced) mountTmpfs(tree.path().string(), "size=128m");
    }
    std::string reason;
    bool namespaced = false;
    TempDir tree, data;
    fs::path database = data / "scans.db";
};

std::map<std::string, std::uint64_t> duFolders(const fs::path& root, bool oneFilesystem = true) {
    std::map<std::string, std::uint64_t> sizes;
    std::istringstream lines(runCommand(std::string(oneFilesystem ? "du -x" : "du") + " -B1 " + shellQuote(root.string())));
    std::uint64_t bytes = 0;
    std::string path;
    while (lines >> bytes && std::getline(lines >> std::ws, path)) sizes[path] = bytes;
    return sizes;
}

TEST_F(ReportTree, TopAndFilesAgreeWithDuAndFind) {
    for (int i = 0; i < 6; ++i) {
        writeFile(tree / ("d" + std::to_string(i)) / "inner" / "f", std::string(1000 + 7000 * i, 'x'));
        writeFile(tree / ("d" + std::to_string(i)) / ("g" + std::to_string(i)), std::string(50000 * i + 1, 'y'));
    }
    store(database, tree.path());

    const auto du = duFolders(tree.path());
    ASSERT_EQ(du.size(), 13u);  // the root, six folders and their inner folders
    const Report top = report(database, {"top", "--json", "-n", "1000", tree.path().string()});
    ASSERT_EQ(top.run.status, 0) << top.run.err;
    std::map<std::string, std::uint64_t> reported;
    for (const json& row : top.parsed()) reported[row["path"]] = row["allocated"];
    EXPECT_EQ(reported, du);

    // find's own sizes, in 512-byte blocks, largest first.
    std::istringstream found(runCommand("find " + shellQuote(tree.path().string()) +
                                        " -xdev -type f -printf '%b %p\\n' | sort -k1,1nr -k2"));
    const Report files = report(database, {"files", "--bytes", "-n", "5", tree.path().string()});
    ASSERT_EQ(files.run.status, 0) << files.run.err;
    std::istringstream lines(files.run.out);
    std::string line;
    std::getline(lines, line);  // the headings
    for (int i = 0; i < 5; ++i) {
        std::uint64_t blocks = 0;
        std::string path;
        found >> blocks >> path;
        ASSERT_TRUE(std::getline(lines, line));
        EXPECT_EQ(line.rfind(std::to_string(blocks * 512) + " ", line.find_first_not_of(' ')), line.find_first_not_of(' '));
        EXPECT_EQ(line.substr(line.size() - path.size()), path);
    }

    // More than the scan keeps: one line on standard error says so, the list
    // (all 12 files here) is unchanged; up to what is kept, nothing is said.
    const Report many = report(database, {"files", "--json", "-n", "5000", tree.path().string()});
    ASSERT_EQ(many.run.status, 0) << many.run.err;
    EXPECT_EQ(many.parsed().size(), 12u);
    EXPECT_EQ(std::count(many.run.err.begin(), many.run.err.end(), '\n'), 1) << many.run.err;
    EXPECT_NE(many.run.err.find("keeps its 1000 largest files"), std::string::npos) << many.run.err;
    EXPECT_EQ(report(database, {"files", "-n", "1000", tree.path().string()}).run.err, "");

    // The stored scan as ncdu's export: ncdu reads it with no complaint.
    const Report exported = report(database, {"export", "--ncdu", (data / "scan.json").string()});
    ASSERT_EQ(exported.run.status, 0) << exported.run.err;
    EXPECT_EQ(runCommand("HOME=/nonexistent ncdu --ignore-config -0 -f " + shellQuote((data / "scan.json").string()) +
                         " -o /dev/null 2>&1"),
              "");
}

TEST_F(ReportTree, DiffListsTheGrownFolderAndItsAncestorsOnly) {
    writeFile(tree / "a" / "b" / "c" / "old", std::string(4096, 'o'));
    writeFile(tree / "x" / "y", std::string(8192, 'y'));
    store(database, tree.path());
    writeFile(tree / "a" / "b" / "c" / "new", std::string(50u << 20, 'n'));
    store(database, tree.path());

    const Report diff = report(database, {"diff", "--json"});
    ASSERT_EQ(diff.run.status, 0) << diff.run.err;
    std::vector<std::string> paths;
    const std::uint64_t grown = referenceFor(tree / "a" / "b" / "c" / "new").allocated;
    for (const json& row : diff.parsed()) {
        paths.push_back(row["path"]);
        EXPECT_EQ(row["change"], grown);
        EXPECT_EQ(row["status"], "changed");
    }
    const std::string root = tree.path().string();
    EXPECT_EQ(paths, (std::vector<std::string>{root, root + "/a", root + "/a/b", root + "/a/b/c"}));
    const Report text = report(database, {"diff", root});
    EXPECT_NE(text.run.out.find("+50.0 MiB"), std::string::npos) << text.run.out;
    // The drive named by its root as well as by its name.
    EXPECT_EQ(report(database, {"history", "--json", root + "/"}).parsed().size(), 2u);
    EXPECT_EQ(report(database, {"history", "--json", root}).parsed().size(), 2u);
}

// As an ordinary user scans: a folder it may not read is counted, and every
// view marks it.
TEST_F(ReportTree, FoldersThatCouldNotBeReadAreMarkedInEveryView) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to scan as another user";
    writeFile(tree / "locked" / "secret", std::string(30000, 's'));
    writeFile(tree / "open" / "plain", std::string(5000, 'p'));
    fs::permissions(tree / "locked", fs::perms::none);
    ASSERT_EQ(::chown(data.path().c_str(), 65534, 65534), 0);
    const auto storeAsNobody = [&] {
        const pid_t child = ::fork();
        if (child == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
            try {
                store(database, tree.path());
            } catch (...) {
                ::_exit(1);
            }
            ::_exit(0);
        }
        int status = -1;
        ::waitpid(child, &status, 0);
        ASSERT_EQ(status, 0);
    };
    storeAsNobody();
    const json scans = report(database, {"scans", "--json"}).parsed();
    ASSERT_EQ(scans.size(), 1u);
    EXPECT_EQ(scans[0]["errors"], 1);
    std::map<std::string, bool> marked;
    for (const json& row : report(database, {"top", "--json"}).parsed()) marked[row["path"]] = row["unreadable"];
    EXPECT_EQ(marked, (std::map<std::string, bool>{{tree.path().string(), false},
                                                   {(tree / "locked").string(), true},
                                                   {(tree / "open").string(), false}}));
    const Report top = report(database, {"top", (tree / "locked").string()});
    EXPECT_NE(top.run.out.find("!  " + (tree / "locked").string()), std::string::npos) << top.run.out;
    EXPECT_NE(top.run.out.find("! could not be read in full"), std::string::npos) << top.run.out;

    // Readable again, it seems to have grown: the change is marked, as what was read before was not all.
    fs::permissions(tree / "locked", fs::perms::all);
    storeAsNobody();
    EXPECT_EQ(report(database, {"history", "--json", tree.path().string()}).parsed()[1]["errors"], 0);
    marked.clear();
    for (const json& row : report(database, {"diff", "--json"}).parsed()) marked[row["path"]] = row["unreadable"];
    EXPECT_EQ(marked, (std::map<std::string, bool>{{tree.path().string(), false}, {(tree / "locked").string(), true}}));
}

std::int64_t storedNodes(const fs::path& database) {
    sqlite3* db = nullptr;
    std::int64_t count = -1;
    if (sqlite3_open(database.c_str(), &db) == SQLITE_OK) {
        sqlite3_exec(db, "SELECT count(*) FROM nodes",
                     [](void* out, int, char** values, char**) {
                         *static_cast<std::int64_t*>(out) = std::stoll(values[0]);
                         return 0;
                     },
                     &count, nullptr);
    }
    sqlite3_close(db);
    return count;
}

// A drive mounted inside the scanned one is kept as a folder of its own,
// marked and without a size, so that the folder counts add up.
TEST_F(ReportTree, AMountPointInsideIsStoredAsAnotherFilesystem) {
    if (!namespaced) GTEST_SKIP() << reason;
    writeFile(tree / "home" / "notes", std::string(9000, 'n'));
    fs::create_directories(tree / "home" / "usb");
    mountTmpfs((tree / "home" / "usb").string());
    const UnmountGuard unmount((tree / "home" / "usb").string());
    writeFile(tree / "home" / "usb" / "big", std::string(200000, 'b'));
    store(database, tree.path());
    const std::int64_t nodes = storedNodes(database);

    const Report top = report(database, {"top", "--json", "-n", "1000", tree.path().string()});
    ASSERT_EQ(top.run.status, 0) << top.run.err;
    std::map<std::string, json> rows;
    for (const json& row : top.parsed()) rows[row["path"]] = row;
    const std::string root = tree.path().string(), home = root + "/home", usb = home + "/usb";
    ASSERT_EQ(rows.size(), 3u) << top.run.out;
    ASSERT_TRUE(rows.contains(usb)) << top.run.out;
    EXPECT_EQ(rows[usb]["other_filesystem"], true);
    EXPECT_EQ(rows[usb]["allocated"], 0);
    EXPECT_EQ(rows[usb]["files"], 0);
    EXPECT_EQ(rows[home]["other_filesystem"], false);
    EXPECT_EQ(rows[home]["allocated"], referenceFor(tree / "home").allocated);  // du -x leaves the mount out too
    // Each folder counts itself, its stored sub-folders and what they hold, no
    // more: the mount point is one folder, not entered.
    EXPECT_EQ(rows[home]["folders"], 2);
    EXPECT_EQ(rows[root]["folders"], 3);
    const Report text = report(database, {"top", home});
    EXPECT_NE(text.run.out.find(">    " + usb), std::string::npos) << text.run.out;
    EXPECT_NE(text.run.out.find("> another filesystem is mounted here"), std::string::npos) << text.run.out;

    // ncdu reads the export and sees the mount point as ncdu marks its own.
    const Report exported = report(database, {"export", "--ncdu", (data / "scan.json").string()});
    ASSERT_EQ(exported.run.status, 0) << exported.run.err;
    EXPECT_NE(readFile(data / "scan.json").find("[{\"name\":\"usb\",\"excluded\":\"othfs\"}]"), std::string::npos);
    EXPECT_EQ(runCommand("HOME=/nonexistent ncdu --ignore-config -0 -f " + shellQuote((data / "scan.json").string()) +
                         " -o /dev/null 2>&1"),
              "");

    // Scanned again unchanged, the scans share every node.
    store(database, tree.path());
    EXPECT_EQ(storedNodes(database), nodes);
    EXPECT_NE(report(database, {"diff", root}).run.out.find("no folder changed"), std::string::npos);
}

// The drive's used bytes beside what was counted, so that folders left out show
// as a gap; and the folder left out marked in the text and the ncdu export.
TEST_F(ReportTree, ScansShowUsedBesideCountedAndExcludedFoldersAreMarked) {
    if (!namespaced) GTEST_SKIP() << reason;  // a drive of its own, whose used bytes nothing else changes
    writeFile(tree / "cache" / "big", std::string(500000, 'c'));
    WaitPump pump;
    ResultsDatabase results(database.string());
    ScannerOptions options{2};
    options.excludedFolders = {"cache/"};
    Scanner scanner(pump, results, options);
    scanner.AnalyzeDrive(tree.path().string());
    scanner.FinishDrive();
    struct statvfs space {};
    ASSERT_EQ(::statvfs(tree.path().c_str(), &space), 0);

    const json row = report(database, {"scans", "--json"}).parsed().at(0);
    EXPECT_EQ(row["used"], (space.f_blocks - space.f_bfree) * space.f_frsize);
    EXPECT_EQ(row["counted"], referenceFor(tree.path()).allocated - referenceFor(tree / "cache").allocated);
    const std::string shown = report(database, {"top", tree.path().string()}).run.out;
    EXPECT_NE(shown.find("-    " + tree.path().string() + "/cache\n\n- left out by an exclude pattern"), std::string::npos);
    ASSERT_EQ(report(database, {"export", "--ncdu", (data / "scan.json").string()}).run.status, 0);
    EXPECT_NE(readFile(data / "scan.json").find("{\"name\":\"cache\",\"excluded\":\"pattern\"}"), std::string::npos);
}

// A btrfs drive's subvolumes and snapshots are folders of the drive, not mounts:
// entered and counted as du counts them without -x (each file's own blocks,
// extents shared with a snapshot included), and marked as subvolumes.
TEST_F(ReportTree, BtrfsSubvolumesAreEnteredCountedAsDuDoesAndMarked) {
    if (!namespaced) GTEST_SKIP() << reason;
    if (runCommand("command -v mkfs.btrfs").empty()) GTEST_SKIP() << "mkfs.btrfs is not installed (scripts/setup installs it)";
    const fs::path image = data / "btrfs.img", drive = tree / "drive";
    fs::create_directories(drive);
    int status = 0;
    runCommand("truncate -s 200M " + shellQuote(image.string()) + " && mkfs.btrfs -q " + shellQuote(image.string()) +
                   " && mount -o loop " + shellQuote(image.string()) + " " + shellQuote(drive.string()),
               &status);
    if (status != 0) GTEST_SKIP() << "cannot make and loop-mount a btrfs image here";
    const UnmountGuard unmount(drive.string());
    writeFile(drive / "plain" / "a", std::string(300000, 'a'));
    runCommand("btrfs -q subvolume create " + shellQuote((drive / "sub1").string()), &status);
    ASSERT_EQ(status, 0);
    writeFile(drive / "sub1" / "big", std::string(700000, 'b'));
    writeFile(drive / "sub1" / "inner" / "c", std::string(90000, 'c'));
    runCommand("btrfs -q subvolume snapshot " + shellQuote((drive / "sub1").string()) + " " +
                   shellQuote((drive / "snap1").string()) + " && sync",
               &status);
    ASSERT_EQ(status, 0);
    store(database, drive);

    const auto du = duFolders(drive, false);
    const Report top = report(database, {"top", "--json", "-n", "1000", drive.string()});
    ASSERT_EQ(top.run.status, 0) << top.run.err;
    std::map<std::string, std::uint64_t> reported;
    std::set<std::string> subvolumes;
    for (const json& row : top.parsed()) {
        reported[row["path"]] = row["allocated"];
        if (row.value("subvolume", false)) subvolumes.insert(row["path"]);
    }
    EXPECT_EQ(reported, du);
    const std::string root = drive.string();
    EXPECT_EQ(subvolumes, (std::set<std::string>{root + "/sub1", root + "/snap1"}));
}

TEST_F(ReportTree, NamesReachTheTerminalEscapedAndJsonExactly) {
    // An escape sequence that clears the screen, and a C1 control byte that is not UTF-8.
    const std::string evil = std::string("evil\x1b[2J") + '\x9b' + "31m";
    const std::string twin = std::string("evil\x1b[2J") + '\x9c' + "31m";  // differs in that byte only
    writeFile(tree / evil / "f", std::string(20000, 'e'));
    writeFile(tree / twin / "g", std::string(9000, 't'));
    store(database, tree.path());
    writeFile(tree / evil / "more", std::string(5000, 'm'));
    store(database, tree.path());

    const std::string shown = "evil\\x1b[2J\\x9b31m";
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"top"}, {"files"}, {"diff"}, {"top", (tree / evil / "nothing").string()}}) {
        const Report run = report(database, command);
        const std::string all = run.run.out + run.run.err;
        EXPECT_EQ(all.find('\x1b'), std::string::npos) << command[0];
        EXPECT_EQ(all.find('\x9b'), std::string::npos) << command[0];
        EXPECT_NE(all.find(shown), std::string::npos) << command[0] << ": " << all;
    }

    std::set<std::string> exact;
    for (const json& row : report(database, {"top", "--json"}).parsed()) {
        if (row.contains("path_base64")) exact.insert(row["path_base64"]);
    }
    // base64 of "<root>/evil\x1b[2J\x9b31m" and its twin: two names, two values.
    EXPECT_EQ(exact.size(), 2u);
}

TEST_F(ReportTree, AFailedWriteOfTheReportIsAnError) {
    writeFile(tree / "d" / "f", "x");
    store(database, tree.path());
    store(database, tree.path());
    for (const std::vector<std::string>& command :
         std::vector<std::vector<std::string>>{{"scans"}, {"history", tree.path().string()}, {"top"}, {"top", "--json"},
                                               {"files"}, {"diff"}, {"prune"}, {"export", "--ncdu", "--scan", "1", "-"}}) {
        std::vector<std::string> argv{CORVATH_REPORT_BINARY, "--database", database.string()};
        argv.insert(argv.end(), command.begin(), command.end());
        std::string line;
        for (const std::string& arg : argv) line += shellQuote(arg) + " ";
        int status = 0;
        const std::string err = runCommand(line + ">/dev/full 2>&1 1>/dev/full", &status);
        EXPECT_EQ(status, 1) << command[0];
    }
}

TEST(CorvathReport, OptionsOutOfRangeOrForAnotherCommandAreRefused) {
    TempDir data;
    for (const auto& arguments : std::vector<std::vector<std::string>>{{"diff", "--since", "2262-04-12"},
                                                                        {"diff", "--since", "2026-02-30"},
                                                                        {"top", "--depth", "4294967296"},
                                                                        {"top", "--since", "2026-01-01"},
                                                                        {"scans", "-n", "3"}}) {
        const Report refused = report(data / "none.db", arguments);
        EXPECT_EQ(refused.run.status, 1) << arguments[1];
        EXPECT_EQ(std::count(refused.run.err.begin(), refused.run.err.end(), '\n'), 1) << refused.run.err;
        EXPECT_EQ(refused.run.err.find("no scans database"), std::string::npos) << "refused before reading";
    }
    // An empty file where the database should be: nothing yet, and it stays empty.
    writeFile(data / "empty.db", "");
    EXPECT_NE(report(data / "empty.db", {"scans"}).run.err.find("holds no scan yet"), std::string::npos);
    EXPECT_EQ(fs::file_size(data / "empty.db"), 0u);
}

TEST_F(ReportTree, AFolderThatHoldsItselfIsADamagedFileNotEndlessWork) {
    writeFile(tree / "a" / "b" / "f", "x");
    store(database, tree.path());
    // b's list of sub-folders made the root's, which holds a: a holds b holds a.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(database.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "UPDATE nodes SET children = (SELECT children FROM nodes WHERE id ="
                           " (SELECT root_node FROM scans)), subfolders = 1 WHERE name = CAST('b' AS BLOB)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    for (const std::vector<std::string>& command : std::vector<std::vector<std::string>>{
             {"top", "-n", "100000"}, {"export", "--ncdu", "-"}}) {
        const Report damaged = report(database, command);
        EXPECT_EQ(damaged.run.status, 1) << command[0];
        EXPECT_NE(damaged.run.err.find("holds itself"), std::string::npos) << damaged.run.err;
    }
}

// The HTML page's data: the folders of at least 0.1 % of the scan, each with
// what was cut below it, so that every row still adds up to its stored total.
TEST_F(ReportTree, HtmlPageCarriesTheFoldersThatMatterAndSumsTheRest) {
    writeFile(tree / "big" / "blob", std::string(8u << 20, 'b'));
    writeFile(tree / "big" / "medium" / "m", std::string(100000, 'm'));
    for (int i = 0; i < 40; ++i) writeFile(tree / "big" / ("tiny" + std::to_string(i)) / "t", "t");
    store(database, tree.path());
    const Report page = report(database, {"html"});
    ASSERT_EQ(page.run.status, 0) << page.run.err;
    const std::string open = "<script type=\"application/json\" id=\"report-data\">";
    const std::size_t start = page.run.out.find(open) + open.size();
    const json shown = json::parse(page.run.out.substr(start, page.run.out.find("</script>", start) - start));

    std::map<std::string, json> rows;  // by name: [parent, name, allocated, files, folders, flags, own, cut, cut bytes]
    for (const json& row : shown["tree"]) rows[row[1]] = row;
    EXPECT_EQ(rows.size(), 3u);  // the root, big and medium; the tiny folders are below 0.1 %
    ASSERT_TRUE(rows.contains("big") && rows.contains("medium"));
    const json& big = rows["big"];
    EXPECT_EQ(big[7], 40);
    EXPECT_EQ(big[8].get<std::uint64_t>(), 40 * referenceFor(tree / "big" / "tiny0").allocated);
    EXPECT_EQ(big[2].get<std::uint64_t>(),
              big[6].get<std::uint64_t>() + rows["medium"][2].get<std::uint64_t>() + big[8].get<std::uint64_t>());
    EXPECT_EQ(shown["scan"]["id"], 1);
    EXPECT_EQ(shown["history"].size(), 1u);
}

TEST(CorvathReport, BadCommandLinesAndNoDatabaseGiveOneLineAndStatusOne) {
    TempDir data;
    for (const auto& arguments : std::vector<std::vector<std::string>>{{"top", "--frobnicate"}, {"scans"}, {}}) {
        const Report failed = report(data / "none.db", arguments);
        EXPECT_EQ(failed.run.status, 1);
        EXPECT_EQ(failed.run.out, "");
        EXPECT_EQ(std::count(failed.run.err.begin(), failed.run.err.end(), '\n'), 1) << failed.run.err;
    }
    EXPECT_NE(report(data / "none.db", {"scans"}).run.err.find("corvath-analyzer -auto"), std::string::npos);
    EXPECT_FALSE(fs::exists(data / "none.db"));
    const Report help = report(data / "none.db", {"--help"});
    EXPECT_EQ(help.run.status, 0);
    EXPECT_NE(help.run.out.find("Usage: corvath-report"), std::string::npos);
}

}  // namespace
}  // namespace corvath::test
