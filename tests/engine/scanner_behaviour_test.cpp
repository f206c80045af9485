// The engine as its callers drive it: status while scanning, cancelling from the
// pump and from another thread, failures, and an unreadable folder.
#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <future>
#include <regex>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "engine/engine_error.h"
#include "engine/engine_run.h"
#include "engine/folder_walk.h"
#include "engine/scan_reference.h"
#include "results/results_database.h"
#include "results/results_error.h"
#include "results/scan_reader.h"
#include "support/recording_results.h"
#include "support/temp_dir.h"

namespace corvath::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A tree big enough that a scan is still running some milliseconds after it
// starts, even on a busy machine; the system's own files serve, read only, and
// every scan of it here is cancelled early.
const char* kLargeTree = "/";

// AnalyzeDrive returns within 100 ms of a cancel. Under ThreadSanitizer on a
// busy machine the returning thread itself may wait longer than that for a core,
// so the bound there only tells a prompt return from one that waits for the scan.
#if defined(__SANITIZE_THREAD__)
constexpr auto kCancelBound = std::chrono::milliseconds(500);
#else
constexpr auto kCancelBound = std::chrono::milliseconds(100);
#endif

// How many scans the database holds; 0 when there is none yet.
std::size_t storedScans(const fs::path& database) {
    try {
        return ScanReader(database.string()).scans().size();
    } catch (const NoResultsYet&) {
        return 0;
    }
}

TEST(ScannerBehaviour, BeforeAnyScanTheStatusIsEmptyButWellFormed) {
    TempDir data;
    WaitPump pump;
    ResultsDatabase results((data / "scans.db").string());
    Scanner scanner(pump, results, ScannerOptions{2});
    EXPECT_EQ(scanner.GetStatusText(), "//|0 files, 0 folders scanned");
    EXPECT_EQ(scanner.GetProcessedBytesText(), "0");
    scanner.CancelAnalysis();  // nothing running: nothing happens
    scanner.FinishDrive();     // nothing scanned: nothing stored
    EXPECT_FALSE(fs::exists(data / "scans.db"));
}

TEST(ScannerBehaviour, DriveThatCannotBeOpenedThrowsAClearMessage) {
    TempDir dir, data;
    writeFile(dir / "file", "x");
    WaitPump pump;
    ResultsDatabase results((data / "scans.db").string());
    Scanner scanner(pump, results, ScannerOptions{2});
    try {
        scanner.AnalyzeDrive("/no/such/drive");
        FAIL() << "no error";
    } catch (const EngineError& error) {
        EXPECT_STREQ(error.what(), "cannot analyze /no/such/drive: No such file or directory");
    }
    try {
        scanner.AnalyzeDrive((dir / "file").string());
        FAIL() << "no error";
    } catch (const EngineError& error) {
        EXPECT_EQ(std::string(error.what()), "cannot analyze " + (dir / "file").string() + ": Not a directory");
    }
    EXPECT_THROW(scanner.AnalyzeDrive(""), EngineError);
    // The engine is still usable.
    scanner.AnalyzeDrive(dir.path().string());
    EXPECT_EQ(scanner.totals().files, 1u);
}

TEST(ScannerBehaviour, FolderNamesCannotBreakTheStatusFields) {
    TempDir dir;
    const fs::path odd = dir / "bar|and\nnewline";
    writeFile(odd / "file", "x");
    WaitPump pump;
    ResultsDatabase results((dir / "scans.db").string());
    Scanner scanner(pump, results, ScannerOptions{1});
    scanner.AnalyzeDrive(odd.string());
    EXPECT_EQ(scanner.GetStatusText(),
              dir.path().string() + "/bar\xc2\xa6" "and?newline/|1 files, 1 folders scanned");
}

TEST(ScannerBehaviour, StatusAndBytesWhileScanningAreConsistentSnapshots) {
    TempDir data;
    PollingPump pump;
    ResultsDatabase results((data / "scans.db").string());
    Scanner scanner(pump, results, ScannerOptions{4});
    const std::regex status(R"(^(/usr/.*)\|([0-9]+) files, ([0-9]+) folders scanned$)");
    std::uint64_t lastBytes = 0, lastFiles = 0;
    int polls = 0;
    pump.setTick([&] {
        const std::string text = scanner.GetStatusText();
        std::smatch match;
        ASSERT_TRUE(std::regex_match(text, match, status)) << text;
        const std::uint64_t files = std::stoull(match[2]);
        const std::uint64_t bytes = std::stoull(scanner.GetProcessedBytesText());
        EXPECT_GE(files, lastFiles);
        EXPECT_GE(bytes, lastBytes);
        lastFiles = files;
        lastBytes = bytes;
        ++polls;
    });
    scanner.AnalyzeDrive("/usr/");
    EXPECT_GT(polls, 0);
    EXPECT_EQ(scanner.GetProcessedBytesText(), std::to_string(scanner.totals().allocated));
    EXPECT_GE(scanner.totals().allocated, lastBytes);
    // A second scan starts again from nothing.
    TempDir small;
    writeFile(small / "one", "1");
    pump.setTick({});
    scanner.AnalyzeDrive(small.path().string());
    EXPECT_EQ(scanner.GetProcessedBytesText(), std::to_string(referenceFor(small.path()).allocated));
}

// A folder entered moments after another was shown is shown in its turn while
// it takes long, not only once a later folder comes along.
TEST(ScannerBehaviour, StatusShowsTheFolderThatTakesLongHoweverSoonItWasEntered) {
    TempDir dir;
    writeFile(dir / "a" / "b" / "slow" / "file", "x");
    std::promise<void> reading, release;
    std::shared_future<void> released = release.get_future().share();
    WalkOptions options;
    options.threads = 1;
    options.stepHook = [&](WalkStep step, const std::string& path) {
        if (step != WalkStep::Reading || path != "a/b/slow") return;
        reading.set_value();
        released.wait();
    };
    FolderWalk walk(dir.path().string(), options);
    WaitPump pump;
    walk.start([&pump] { pump.wake(); });
    ASSERT_EQ(reading.get_future().wait_for(std::chrono::seconds(30)), std::future_status::ready);
    const std::string slow = (dir / "a" / "b" / "slow").string();
    std::string shown = walk.currentFolder();
    for (const auto deadline = Clock::now() + std::chrono::seconds(2); shown != slow && Clock::now() < deadline;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        shown = walk.currentFolder();
    }
    release.set_value();
    pump.run();
    ASSERT_TRUE(walk.waitStopped(Clock::time_point::max()));
    EXPECT_EQ(shown, slow);
}

TEST(ScannerBehaviour, CancelFromInsideThePumpReturnsPromptlyAndStoresNothing) {
    TempDir data;
    PollingPump pump;
    ResultsDatabase results((data / "scans.db").string());
    Scanner scanner(pump, results, ScannerOptions{4});
    Clock::time_point cancelledAt{};
    pump.setTick([&] {
        if (cancelledAt == Clock::time_point{}) {
            cancelledAt = Clock::now();
            scanner.CancelAnalysis();
            scanner.CancelAnalysis();  // twice: still one wake for this run
        }
    });
    scanner.AnalyzeDrive(kLargeTree);
    const auto latency = Clock::now() - cancelledAt;
    EXPECT_LT(latency, kCancelBound);
    EXPECT_EQ(pump.runs(), 1);
    scanner.FinishDrive();
    EXPECT_EQ(storedScans(data / "scans.db"), 0u);

    // The pump holds no stray wake: a full scan afterwards runs to its end.
    TempDir tree;
    makeAwkwardTree(tree.path());
    pump.setTick({});
    scanner.AnalyzeDrive(tree.path().string());
    EXPECT_EQ(scanner.totals().allocated, referenceFor(tree.path()).allocated);
    scanner.FinishDrive();
    EXPECT_EQ(storedScans(data / "scans.db"), 1u);
}

TEST(ScannerBehaviour, CancelFromAnotherThreadDuringALargeScan) {
    TempDir data;
    WaitPump pump;
    ResultsDatabase results((data / "scans.db").string());
    Scanner scanner(pump, results, ScannerOptions{8});
    std::chrono::nanoseconds worst{0};
    for (int round = 0; round < 5; ++round) {
        std::atomic<std::int64_t> cancelledAt{0};
        std::thread canceller([&] {
            while (!scanner.scanning() || scanner.totals().files < 2000u * (round + 1)) {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
            cancelledAt = Clock::now().time_since_epoch().count();
            scanner.CancelAnalysis();
        });
        scanner.AnalyzeDrive(kLargeTree);
        const auto returned = Clock::now();
        canceller.join();
        const auto latency = returned - Clock::time_point(Clock::duration(cancelledAt.load()));
        worst = std::max(worst, std::chrono::duration_cast<std::chrono::nanoseconds>(latency));
        scanner.FinishDrive();
        EXPECT_EQ(storedScans(data / "scans.db"), 0u);
    }
    RecordProperty("worst_cancel_latency_us", static_cast<int>(worst.count() / 1000));
    EXPECT_LT(worst, kCancelBound);
    TempDir tree;
    makeAwkwardTree(tree.path());
    scanner.AnalyzeDrive(tree.path().string());
    EXPECT_EQ(scanner.totals().allocated, referenceFor(tree.path()).allocated);
}

TEST(ScannerBehaviour, SecondAnalysisWhileOneRunsIsRefused) {
    TempDir data;
    PollingPump pump;
    ResultsDatabase results((data / "scans.db").string());
    Scanner scanner(pump, results, ScannerOptions{2});
    int ticks = 0;
    bool refused = false;
    pump.setTick([&] {
        if (ticks++ > 0) return;
        try {
            scanner.AnalyzeDrive("/");
        } catch (const EngineError&) {
            refused = true;
        }
        EXPECT_THROW(scanner.FinishDrive(), EngineError);
        scanner.CancelAnalysis();
    });
    scanner.AnalyzeDrive(kLargeTree);
    EXPECT_TRUE(refused);
    EXPECT_EQ(pump.runs(), 1);
    EXPECT_FALSE(scanner.scanning());
}

// Root reads every folder, so the unreadable folder is scanned by a child
// process that has given up root.
TEST(ScannerBehaviour, UnreadableFolderIsCountedAsAnErrorAndTheScanGoesOn) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to switch to an unprivileged user";
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::all, fs::perm_options::replace);
    writeFile(dir / "locked" / "hidden", std::string(100000, 'h'));
    writeFile(dir / "open" / "seen", "x");
    writeFile(dir / "nosearch" / "listed", "y");
    ::chmod((dir / "locked").c_str(), 0);
    ::chmod((dir / "nosearch").c_str(), 0444);  // names readable, entries not
    ::chmod((dir / "open").c_str(), 0755);

    // The child sends its totals back through a pipe, so that a failure shows
    // which of them is wrong.
    int channel[2];
    ASSERT_EQ(::pipe(channel), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(channel[0]);
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(100);
        try {
            const WalkTotals totals = scanTotals(dir.path(), 2);
            const bool sent = ::write(channel[1], &totals, sizeof totals) == static_cast<ssize_t>(sizeof totals);
            ::_exit(sent ? 0 : 103);
        } catch (...) {
            ::_exit(102);
        }
    }
    ::close(channel[1]);
    WalkTotals totals{};
    const ssize_t received = ::read(channel[0], &totals, sizeof totals);
    ::close(channel[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0) << "100: cannot drop root, 102: threw, 103: cannot report";
    ASSERT_EQ(received, static_cast<ssize_t>(sizeof totals));
    // locked and nosearch are one error each (nosearch for its entry that cannot
    // be examined); their own size still counts, as du counts it.
    EXPECT_EQ(totals.errors, 2u);
    EXPECT_EQ(totals.folders, 4u);
    EXPECT_EQ(totals.files, 1u) << "seen counts; listed cannot be examined";
    std::uint64_t allocated = 0;
    for (const fs::path& path : {dir.path(), dir / "locked", dir / "open", dir / "nosearch", dir / "open" / "seen"}) {
        struct stat st {};
        ASSERT_EQ(::lstat(path.c_str(), &st), 0) << path;
        allocated += static_cast<std::uint64_t>(st.st_blocks) * 512u;
    }
    EXPECT_EQ(totals.allocated, allocated);
}

// The mount table as the test sets it: its answers in turn, the last for good.
class ScriptedMounts : public DriveMounts {
public:
    std::vector<std::optional<DriveMount>> answers;
    std::size_t asked = 0;
    std::optional<DriveMount> mountAt(const std::string&) override {
        return answers.at(std::min(++asked, answers.size()) - 1);
    }
};

std::string failureOf(Scanner& scanner, const fs::path& drive) {
    try {
        scanner.AnalyzeDrive(drive.string());
    } catch (const EngineError& error) {
        return error.what();
    }
    return "";
}

TEST(ScannerBehaviour, ADriveIsAnalyzedOnlyWhileItsFilesystemIsMountedAtItsRoot) {
    TempDir tree;
    writeFile(tree / "file", std::string(9000, 'x'));
    struct statx st {};
    ASSERT_EQ(::statx(AT_FDCWD, tree.path().c_str(), 0, STATX_MNT_ID, &st), 0);
    const DriveMount here{st.stx_mnt_id, 0, "uuid-1"};
    DriveMount other = here;
    ++other.mountId;

    WaitPump pump;
    RecordingResults results;
    ScriptedMounts mounts;
    ScannerOptions options{2};
    options.mounts = &mounts;
    Scanner scanner(pump, results, options);
    const std::string notMounted = "cannot analyze " + tree.path().string() + ": it is not mounted";
    const std::string unmounted = "cannot analyze " + tree.path().string() + ": it was unmounted during the analysis";
    struct Case {
        std::vector<std::optional<DriveMount>> answers;
        std::string failure;
    };
    for (const Case& c : {Case{{std::nullopt}, notMounted},        // the folder left behind by an unmount
                          Case{{other}, notMounted},               // the folder is not on what is mounted there
                          Case{{here, std::nullopt}, unmounted},   // gone by the end
                          Case{{here, other}, unmounted}}) {       // another drive mounted there meanwhile
        mounts.answers = c.answers;
        mounts.asked = 0;
        EXPECT_EQ(failureOf(scanner, tree.path()), c.failure);
        scanner.FinishDrive();
        EXPECT_TRUE(results.stored.empty());
    }
    mounts.answers = {here};
    EXPECT_EQ(failureOf(scanner, tree.path()), "");
    scanner.FinishDrive();
    ASSERT_EQ(results.stored.size(), 1u);
    EXPECT_EQ(results.stored[0].volume, "uuid-1");
    EXPECT_EQ(results.stored[0].totals.files, 1u);
}

}  // namespace
}  // namespace corvath::test
