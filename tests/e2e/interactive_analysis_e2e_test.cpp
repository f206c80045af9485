// The interactive analysis end to end: the real corvath-analyzer on an X server
// of its own, over real tmpfs mounts in a private mount namespace, driven from
// outside with xdotool as a user would, and judged by what can be seen from
// outside: the window's pixels, the results database, the file manager's launch
// and the exit status.
#include "e2e/child_process.h"
#include "e2e/file_tree.h"
#include "e2e/window_shot.h"
#include "e2e/x_display.h"
#include "support/mount_namespace.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace corvath {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using test::WindowShot;
namespace px = test::wizard_px;

// The first drive's tree: enough entries that its scan outlasts a few captures.
constexpr std::size_t kFolders = 4000;
constexpr std::size_t kFilesPerFolder = 100;

// Unmounts (lazily, so that nothing open keeps it) before the folder holding the
// mount point is removed: removing a mounted tree file by file would take long.
class Mounted {
public:
    explicit Mounted(std::string target, const std::string& options) : target_(std::move(target)) {
        test::mountTmpfs(target_, options);
    }
    ~Mounted() { ::umount2(target_.c_str(), MNT_DETACH); }
    Mounted(const Mounted&) = delete;
    Mounted& operator=(const Mounted&) = delete;
    const std::string& path() const { return target_; }

private:
    std::string target_;
};

// Polls until `done` holds or the time is up; `done` itself may take a while
// (a capture), so this never relies on a fixed sleep alone.
bool waitUntil(std::chrono::milliseconds timeout, const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(100ms);
    }
}

std::string fileText(const fs::path& file) {
    std::error_code error;
    if (!fs::exists(file, error)) return {};
    return test::readFile(file);
}

struct ScanRow {
    std::int64_t allocated = -1;
    std::int64_t files = -1;
    std::int64_t folders = -1;
    int rows = 0;
};

std::map<std::string, ScanRow> scansByDrive(const fs::path& database) {
    std::map<std::string, ScanRow> result;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return result;
    }
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT drive, allocated, files, folders FROM scans", -1, &s, nullptr) == SQLITE_OK) {
        while (sqlite3_step(s) == SQLITE_ROW) {
            ScanRow& row = result[reinterpret_cast<const char*>(sqlite3_column_text(s, 0))];
            row.allocated = sqlite3_column_int64(s, 1);
            row.files = sqlite3_column_int64(s, 2);
            row.folders = sqlite3_column_int64(s, 3);
            ++row.rows;
        }
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    return result;
}

// du's count of the bytes allocated on one filesystem, the reference the scan's
// total must match.
std::int64_t duAllocatedBytes(const std::string& folder) {
    const test::CommandResult du = test::runCommand(CORVATH_DU, {"-s", "-x", "-B1", folder}, test::environmentWith({}));
    if (du.status != 0) return -1;
    return std::stoll(du.output);
}

bool missing(const char* program) { return std::string(program).empty() || ::access(program, X_OK) != 0; }

void writeProgram(const fs::path& file, const std::string& script) {
    test::writeFile(file, script);
    fs::permissions(file, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
}

TEST(InteractiveAnalysis, TickedMountsAreAnalyzedThroughTheWindow) {
    if (missing(CORVATH_XVFB)) GTEST_SKIP() << "Xvfb is not installed (apt-get install xvfb)";
    if (missing(CORVATH_XDOTOOL)) GTEST_SKIP() << "xdotool is not installed (apt-get install xdotool)";
    if (missing(CORVATH_IMPORT)) GTEST_SKIP() << "ImageMagick's import is not installed (apt-get install imagemagick)";
    if (missing(CORVATH_DU)) GTEST_SKIP() << "du is not installed";
    std::string reason;
    if (!test::enterPrivateMountNamespace(reason)) GTEST_SKIP() << reason;

    test::TempDir work;
    fs::create_directories(work / "big");
    fs::create_directories(work / "small");
    for (const char* folder : {"config", "data", "bin", "runtime"}) fs::create_directories(work / folder);
    fs::permissions(work / "runtime", fs::perms::owner_all);
    const fs::path artifacts = CORVATH_ARTIFACT_DIR;
    fs::create_directories(artifacts);

    // The first drive is big enough that its scan lasts a while on a loaded
    // machine, so that the progress page can be seen; the second is small.
    Mounted big((work / "big").string(), "size=256m,nr_inodes=1000000");
    Mounted small((work / "small").string(), "size=16m");
    const auto filled = std::chrono::steady_clock::now();
    test::fillTree(big.path(), kFolders, kFilesPerFolder, 1000);
    test::fillTree(small.path(), 20, 5, 5000);
    std::cout << "tree made in "
              << std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - filled).count()
              << " ms\n";

    const fs::path calls = work / "xdg-open-calls";
    writeProgram(work / "bin" / "xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$*\" >> '" + calls.string() + "'\n");

    test::XServer server;
    ASSERT_TRUE(server.start(CORVATH_XVFB)) << "Xvfb did not start";
    const char* path = std::getenv("PATH");
    const std::vector<std::string> environment = test::environmentWith({
        {"DISPLAY", server.display()},
        {"QT_QPA_PLATFORM", "xcb"},
        {"XDG_CONFIG_HOME", (work / "config").string()},
        {"XDG_DATA_HOME", (work / "data").string()},
        {"XDG_RUNTIME_DIR", (work / "runtime").string()},
        {"PATH", (work / "bin").string() + ":" + (path != nullptr ? path : "/usr/bin:/bin")},
        {"LSAN_OPTIONS", test::leakCheckOptions(work.path().string())},
    });

    // The settings an installer would leave: open the file manager when done,
    // and exactly our two drives remembered as the selection.
    const auto reg = [&](const std::vector<std::string>& arguments) {
        const test::CommandResult result = test::runCommand(CORVATH_REG, arguments, environment);
        ASSERT_EQ(result.status, 0) << result.output;
    };
    reg({"add", "HKCU\\Software\\Tamsel", "/v", "StartExplorer", "/t", "REG_DWORD", "/d", "1", "/f"});
    reg({"add", "HKCU\\Software\\Tamsel", "/v", "SelectedDrives", "/t", "REG_SZ", "/d", big.path() + "\t" + small.path(),
         "/f"});

    const std::string log = (artifacts / "e2e-analyzer.log").string();
    fs::remove(log);
    test::ChildProcess app(CORVATH_ANALYZER, {}, environment, log);
    test::XWindow window(CORVATH_XDOTOOL, CORVATH_IMPORT, environment);
    ASSERT_TRUE(waitUntil(30s, [&] { return !app.running() || window.find("Corvath Analyzer"); }) && app.running())
        << "the window did not appear; the program said: " << fileText(log);

    const auto capture = [&](const std::string& name) {
        const std::string file = (artifacts / name).string();
        return window.capture(file) ? WindowShot(QString::fromStdString(file)) : WindowShot();
    };

    // Next is enabled once the drive list has been filled.
    WindowShot drivePage;
    ASSERT_TRUE(waitUntil(30s, [&] {
        drivePage = capture("e2e-drive-page.png");
        return drivePage.painted() && drivePage.darkPixels(px::kNextButton.adjusted(4, 4, -4, -4)) > 20;
    })) << "Next never became enabled";
    const int drivePageTitleEnd = drivePage.textEnd(px::kTitle);
    ASSERT_TRUE(window.click(px::kNextButton.center().x(), px::kNextButton.center().y()));

    // The progress page during the run. The program is held still while each
    // capture is taken, so a capture shows one moment of the run, and a run not
    // yet finished after the capture was running during it. The page shows its
    // own title ("Analyzing...", shorter than the drive page's) and the bars stay
    // short of full until the run is done; a capture with the disk bar partly
    // filled is the one kept.
    bool progressSeen = false;
    bool partlyFilled = false;
    int progressTitleEnd = 0;
    const auto runEnded = [&] { return !fileText(calls).empty() || !app.running(); };
    waitUntil(30s, [&] {
        if (runEnded()) return true;
        std::optional<WindowShot> shot;
        {
            const test::Stopped still(app.pid());
            shot = capture("e2e-progress-candidate.png");
            if (runEnded()) return true;
        }
        const double fill = shot->barFill(px::kDiskBar);
        const int titleEnd = shot->textEnd(px::kTitle);
        if (!shot->painted() || titleEnd >= drivePageTitleEnd - 10 || titleEnd <= px::kTitle.left() || fill > 0.985) {
            return false;
        }
        if (!progressSeen || fill > 0.02) {
            fs::copy_file(artifacts / "e2e-progress-candidate.png", artifacts / "e2e-progress-page.png",
                          fs::copy_options::overwrite_existing);
            progressSeen = true;
            progressTitleEnd = titleEnd;
        }
        partlyFilled = fill > 0.02;
        return partlyFilled;
    });
    fs::remove(artifacts / "e2e-progress-candidate.png");
    ASSERT_TRUE(progressSeen) << "the progress page was never seen during the run";
    if (!partlyFilled) std::cout << "note: the run ended before the disk bar showed progress\n";

    // Done: the title changes last, after the bars (a bar repaints itself at
    // once) and before the file manager's launch. "Analyzing...Done" is longer
    // than "Analyzing..." and shorter than "Select drives to analyze".
    WindowShot done;
    const auto showsDone = [&](const WindowShot& shot) {
        const int titleEnd = shot.textEnd(px::kTitle);
        return shot.painted() && titleEnd > progressTitleEnd + 10 && titleEnd < drivePageTitleEnd - 10;
    };
    ASSERT_TRUE(waitUntil(60s, [&] {
        if (!app.running()) return true;
        done = capture("e2e-done-page.png");
        return showsDone(done);
    }) && app.running()) << "the done page was not seen; the program said: " << fileText(log);
    EXPECT_GT(done.barFill(px::kDiskBar), 0.99);
    EXPECT_GT(done.barFill(px::kOverallBar), 0.99);
    // The one button left, in Next's place, has its caption.
    EXPECT_GT(done.darkPixels(px::kNextButton.adjusted(4, 4, -4, -4)), 20);

    // Each drive's scan is in the results, matching du on the same filesystem.
    const std::map<std::string, ScanRow> scans = scansByDrive(work / "data" / "corvath" / "scans.db");
    for (const Mounted* drive : {&big, &small}) {
        const auto row = scans.find(drive->path());
        ASSERT_NE(row, scans.end()) << drive->path() << " has no scan in the results";
        EXPECT_EQ(row->second.rows, 1) << drive->path();
        EXPECT_EQ(row->second.allocated, duAllocatedBytes(drive->path())) << drive->path();
    }
    // Every file and folder of the big tree was walked: its files, its folders
    // with their groups of 100, and its root.
    EXPECT_EQ(scans.at(big.path()).files, static_cast<std::int64_t>(kFolders * (kFilesPerFolder + 1)));
    EXPECT_EQ(scans.at(big.path()).folders, static_cast<std::int64_t>(kFolders + kFolders / 100 + 1));
    EXPECT_EQ(scans.size(), 2u);

    // Finish sits where Next was; it ends the program cleanly.
    ASSERT_TRUE(window.click(px::kNextButton.center().x(), px::kNextButton.center().y()));
    const std::optional<int> status = app.waitFor(20s);
    ASSERT_TRUE(status.has_value()) << "the program did not end after Finish";
    EXPECT_EQ(*status, 0) << "the program said: " << fileText(log);
    // The launch is detached: give the fake file manager a moment to record it.
    waitUntil(5s, [&] { return !fileText(calls).empty(); });
    EXPECT_EQ(fileText(calls), big.path() + "/\n") << "the file manager opens the first drive's root, once";
}

}  // namespace
}  // namespace corvath
