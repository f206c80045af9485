// The engine as its callers meet it, through AnalysisEngine only, on every
// platform: totals of a real tree against an independent count, hard links
// once, links not followed, the status text and processed bytes, cancelling,
// and what FinishDrive hands on.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <optional>
#include <regex>
#include <set>

#include "engine/engine_error.h"
#include "engine/engine_run.h"
#include "engine/scan_root.h"
#include "engine/scanner.h"
#include "results/results_database.h"
#include "results/stored_tree.h"
#include "support/temp_dir.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace corvath::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// AnalyzeDrive returns within 100 ms of a cancel; under ThreadSanitizer on a
// busy machine the returning thread may itself wait longer for a core.
#if defined(__SANITIZE_THREAD__)
constexpr auto kCancelBound = std::chrono::milliseconds(500);
#else
constexpr auto kCancelBound = std::chrono::milliseconds(100);
#endif

// A results sink that keeps what it was handed.
class RecordingSink : public ResultsSink {
public:
    void prepare() override {}
    void storeScan(const ScanRecord& record, const FolderTable& folders) override {
        records.push_back(record);
        std::set<std::string> names;
        for (std::uint32_t i = 0; i < folders.size(); ++i) names.insert(folders[i].name);
        folderNames.push_back(std::move(names));
    }
    std::vector<ScanRecord> records;
    std::vector<std::set<std::string>> folderNames;
};

void writeBytes(const fs::path& file, std::size_t size) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << std::string(size, 'x');
}

// A drive name as the caller passes it: a folder, with the platform's separators.
std::string driveOf(const fs::path& path) { return fs::path(path).make_preferred().string(); }

// What the walk counts of an entry beyond a file's bytes: POSIX counts a
// folder's and a link's own size, Windows lists both as 0.
std::uint64_t ownApparent([[maybe_unused]] const fs::path& path) {
#ifdef _WIN32
    return 0;
#else
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
#endif
}

struct Expected {
    std::uint64_t files = 0;
    std::uint64_t folders = 1;  // the root
    std::uint64_t apparent = 0;
    std::uint64_t fileBytes = 0;  // regular files' sizes only
};

// Counts the tree with std::filesystem, not entering the given links; each
// file's extra links are left out of the bytes by the caller, who made them.
Expected countTree(const fs::path& root, const std::set<fs::path>& links) {
    Expected expected;
    expected.apparent = ownApparent(root);
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const fs::path& path = it->path();
        if (links.count(path) != 0) {
            it.disable_recursion_pending();
            ++expected.files;
            expected.apparent += ownApparent(path);
        } else if (it->is_directory()) {
            ++expected.folders;
            expected.apparent += ownApparent(path);
        } else {
            ++expected.files;
            expected.fileBytes += it->file_size();
            expected.apparent += it->file_size();
        }
    }
    return expected;
}

// The engine with a pump that runs a callback about every millisecond, as the
// window's timer would.
struct Engine {
    PollingPump pump;
    RecordingSink sink;
    Scanner scanner{pump, sink, ScannerOptions{4}};
    AnalysisEngine& engine = scanner;
};

// A tree with nested folders, an empty one, odd names and files of known sizes.
class EngineContract : public ::testing::Test {
protected:
    void SetUp() override {
        root = top / "tree";
        writeBytes(root / "a.bin", 10000);
        writeBytes(root / "with space.txt", 3000);
        writeBytes(root / fs::path(u8"dossier é 日本") / fs::path(u8"fïchier ü.txt"), 2500);
        writeBytes(root / "nested" / "one" / "two" / "deep.bin", 50000);
        writeBytes(root / "nested" / "one" / "sibling.bin", 7000);
        writeBytes(root / "linked" / "original.bin", 20000);
        fs::create_directories(root / "empty");
        writeBytes(top / "outside" / "big.bin", 1000000);
    }

    TempDir top;
    fs::path root;
};

TEST_F(EngineContract, TotalsMatchAnIndependentCount) {
    Engine e;
    e.engine.AnalyzeDrive(driveOf(root));
    const WalkTotals totals = e.scanner.totals();
    const Expected expected = countTree(root, {});
    EXPECT_EQ(totals.files, expected.files);
    EXPECT_EQ(totals.folders, expected.folders);
    EXPECT_EQ(totals.apparent, expected.apparent);
    EXPECT_EQ(totals.errors, 0u);
    // Every file here is larger than a small file stored inside the volume's
    // own records: each takes at least its size in whole units.
    EXPECT_GE(totals.allocated, expected.fileBytes);
    EXPECT_EQ(totals.allocated % 512, 0u);
    EXPECT_EQ(e.engine.GetProcessedBytesText(), std::to_string(totals.allocated));
}

TEST_F(EngineContract, HardLinkCountsAsAnEntryButItsBytesOnce) {
    Engine before;
    before.engine.AnalyzeDrive(driveOf(root));
    std::error_code error;
    fs::create_hard_link(root / "linked" / "original.bin", root / "nested" / "link.bin", error);
    // mingw's hard_link_count always reads 1: the link's presence tells.
    if (error || !fs::exists(root / "nested" / "link.bin")) GTEST_SKIP() << "no hard links here: " << error.message();
    Engine after;
    after.engine.AnalyzeDrive(driveOf(root));
    EXPECT_EQ(after.scanner.totals().files, before.scanner.totals().files + 1);
    EXPECT_EQ(after.scanner.totals().folders, before.scanner.totals().folders);
    EXPECT_EQ(after.scanner.totals().apparent, before.scanner.totals().apparent);
    EXPECT_EQ(after.scanner.totals().allocated, before.scanner.totals().allocated);
    const Expected expected = countTree(root, {});
    EXPECT_EQ(after.scanner.totals().apparent, expected.apparent - 20000);
}

// A linked file's bytes settle in the same folder whichever link a worker
// meets first (the Windows walk learns of a link only at its second): two
// scans of an unchanged tree with links across folders store no new node.
TEST_F(EngineContract, RescanOfUnchangedTreeWithHardLinksStoresNoNewNode) {
    std::error_code error;
    for (int i = 0; i < 12; ++i) {
        const fs::path folder = root / ("links-" + std::to_string(i));
        fs::create_directories(folder);
        fs::create_hard_link(root / "linked" / "original.bin", folder / "original.bin", error);
        if (!error) fs::create_hard_link(root / "a.bin", folder / ("a-" + std::to_string(i)), error);
        if (error) GTEST_SKIP() << "no hard links here: " << error.message();
    }
    const fs::path database = top / "scans.db";
    const auto store = [&] {
        WaitPump pump;
        ResultsDatabase results(database.string());
        Scanner scanner(pump, results, ScannerOptions{8});
        scanner.AnalyzeDrive(driveOf(root));
        scanner.FinishDrive();
    };
    store();
    const std::int64_t nodes = nodeCount(database);
    ASSERT_GT(nodes, 12);
    for (int round = 0; round < 3; ++round) {
        store();
        EXPECT_EQ(nodeCount(database), nodes) << "round " << round;
    }
}

TEST_F(EngineContract, LinkToAFolderIsAnEntryNotEntered) {
    const fs::path link = root / "to-outside";
    std::error_code error;
    fs::create_directory_symlink(top / "outside", link, error);
    // Wine accepts the call and makes nothing: only a link that is there counts.
    if (error || !fs::exists(link / "big.bin", error)) GTEST_SKIP() << "no symbolic links to folders here";
    Engine e;
    e.engine.AnalyzeDrive(driveOf(root));
    const Expected expected = countTree(root, {link});
    EXPECT_EQ(e.scanner.totals().files, expected.files);
    EXPECT_EQ(e.scanner.totals().folders, expected.folders);
    EXPECT_EQ(e.scanner.totals().apparent, expected.apparent);
    EXPECT_LT(e.scanner.totals().apparent, 1000000u);  // big.bin not in it
}

TEST_F(EngineContract, FinishDriveHandsOnExactlyOneScanWithUtf8Names) {
    Engine e;
    e.engine.FinishDrive();  // nothing scanned yet
    EXPECT_TRUE(e.sink.records.empty());
    const std::string drive = driveOf(root);
    e.engine.AnalyzeDrive(drive);
    e.engine.FinishDrive();
    e.engine.FinishDrive();
    ASSERT_EQ(e.sink.records.size(), 1u);
    const ScanRecord& record = e.sink.records.front();
    EXPECT_EQ(record.drive, drive);
    EXPECT_EQ(record.rootPath, scanRoot(drive));
    EXPECT_EQ(record.totals.files, e.scanner.totals().files);
    EXPECT_LE(record.started, record.finished);
    const std::string folder = reinterpret_cast<const char*>(u8"dossier é 日本");
    EXPECT_EQ(e.sink.folderNames.front().count(folder), 1u);
    EXPECT_EQ(e.sink.folderNames.front().count("empty"), 1u);
    ASSERT_FALSE(record.largestFiles.empty());
    EXPECT_EQ(record.largestFiles.front().name, "deep.bin");
    const std::string file = reinterpret_cast<const char*>(u8"fïchier ü.txt");
    EXPECT_TRUE(std::any_of(record.largestFiles.begin(), record.largestFiles.end(),
                            [&](const LargeFile& f) { return f.name == file; }));
}

TEST_F(EngineContract, StatusNamesAFolderOfTheTreeAndCounts) {
    Engine e;
    const std::regex shape(R"(^(.+)\|[0-9][0-9 .,'\xc2\xa0]* files, [0-9][0-9 .,'\xc2\xa0]* folders scanned$)");
    std::vector<std::string> seen;
    e.pump.setTick([&] { seen.push_back(e.engine.GetStatusText()); });
    const std::string shownRoot = scanRoot(driveOf(root));
    e.engine.AnalyzeDrive(driveOf(root));
    seen.push_back(e.engine.GetStatusText());
    for (const std::string& status : seen) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(status, match, shape)) << status;
        const std::string field0 = match[1];
        // The caller drops the one character after the folder: the separator.
        EXPECT_EQ(field0.back(), kPathSeparator) << status;
        EXPECT_EQ(field0.compare(0, shownRoot.size(), shownRoot), 0) << status;
    }
    EXPECT_NE(seen.back().find("6 files, 7 folders scanned"), std::string::npos) << seen.back();
}

TEST(EngineContractDrive, DriveNameIsScannedFromItsRootFolder) {
#ifdef _WIN32
    const std::string drive = "C:";
#else
    const std::string drive = "/";
#endif
    PollingPump pump;
    RecordingSink sink;
    Scanner scanner(pump, sink, ScannerOptions{2});
    std::optional<std::string> first;
    pump.setTick([&] {
        if (!first) first = scanner.GetStatusText();
        scanner.CancelAnalysis();
    });
    scanner.AnalyzeDrive(drive);
    ASSERT_TRUE(first.has_value());
    // The first tick may come after the walk has left the root: any folder it
    // shows lies below the root and ends with the separator.
    const std::string root = scanRoot(drive);
    const std::string field0 = first->substr(0, first->find('|'));
    EXPECT_EQ(field0.compare(0, root.size(), root), 0) << *first;
    ASSERT_FALSE(field0.empty());
    EXPECT_EQ(field0.back(), kPathSeparator) << *first;
}

TEST(EngineContractDrive, CancelReturnsPromptlyAndLeavesNothingToStore) {
    // A drive big enough to be still scanning when the cancel comes.
#ifdef _WIN32
    const std::string drive = "C:";
#else
    const std::string drive = "/";
#endif
    PollingPump pump;
    RecordingSink sink;
    Scanner scanner(pump, sink, ScannerOptions{4});
    std::optional<Clock::time_point> cancelledAt;
    pump.setTick([&] {
        if (!cancelledAt && scanner.totals().files > 0) {
            cancelledAt = Clock::now();
            scanner.CancelAnalysis();
        }
    });
    scanner.AnalyzeDrive(drive);
    const auto returned = Clock::now();
    ASSERT_TRUE(cancelledAt.has_value()) << "the scan ended before it could be cancelled";
    EXPECT_LT(returned - *cancelledAt, kCancelBound);
    EXPECT_FALSE(scanner.scanning());
    scanner.FinishDrive();
    EXPECT_TRUE(sink.records.empty());
    // The engine is ready for the next drive.
    TempDir tree;
    writeBytes(tree / "f.bin", 1000);
    pump.setTick({});
    scanner.AnalyzeDrive(driveOf(tree.path()));
    EXPECT_EQ(scanner.totals().files, 1u);
    scanner.FinishDrive();
    EXPECT_EQ(sink.records.size(), 1u);
}

TEST(EngineContractDrive, MissingFolderFailsWithEngineError) {
    TempDir top;
    const std::string drive = driveOf(top / "not-there");
    Engine e;
    try {
        e.engine.AnalyzeDrive(drive);
        FAIL() << "no EngineError";
    } catch (const EngineError& error) {
        EXPECT_NE(std::string(error.what()).find(scanRoot(drive)), std::string::npos) << error.what();
    }
    EXPECT_FALSE(e.scanner.scanning());
    e.engine.FinishDrive();
    EXPECT_TRUE(e.sink.records.empty());
}

}  // namespace
}  // namespace corvath::test
