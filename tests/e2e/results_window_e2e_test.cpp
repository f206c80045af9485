// The results window end to end: the real wizard analyzes a tmpfs mount on an
// X server of its own, then the real corvath-results shows that scan. Judged
// from outside: the scans database and the window's pixels. The screenshots
// are kept in the build tree.
#include "e2e/child_process.h"
#include "e2e/file_tree.h"
#include "e2e/window_shot.h"
#include "e2e/x_display.h"
#include "results/results_error.h"
#include "results/scan_reader.h"
#include "support/mount_namespace.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include <sys/mount.h>
#include <unistd.h>

namespace corvath {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

bool waitUntil(std::chrono::milliseconds timeout, const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(100ms);
    }
    return true;
}

bool missing(const char* program) { return std::string(program).empty() || ::access(program, X_OK) != 0; }

// Pixels of the colour the treemap gives the largest folder of the folder shown.
long largestBlockPixels(const QImage& image) {
    const QColor largest(0x8f, 0xb8, 0xde);
    long count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) count += image.pixelColor(x, y) == largest ? 1 : 0;
    }
    return count;
}

std::vector<StoredScan> storedScans(const fs::path& database) {
    try {
        return ScanReader(database.string()).latestScans();
    } catch (const ResultsError&) {
        return {};
    }
}

TEST(ResultsWindowEndToEnd, TheWizardsScanIsWhatTheResultsWindowShows) {
    if (missing(CORVATH_XVFB)) GTEST_SKIP() << "Xvfb is not installed (apt-get install xvfb)";
    if (missing(CORVATH_XDOTOOL)) GTEST_SKIP() << "xdotool is not installed (apt-get install xdotool)";
    if (missing(CORVATH_IMPORT)) GTEST_SKIP() << "ImageMagick's import is not installed (apt-get install imagemagick)";
    std::string reason;
    if (!test::enterPrivateMountNamespace(reason)) GTEST_SKIP() << reason;

    test::TempDir work;
    for (const char* folder : {"drive", "config", "data", "runtime"}) fs::create_directories(work / folder);
    fs::permissions(work / "runtime", fs::perms::owner_all);
    const fs::path artifacts = CORVATH_ARTIFACT_DIR;
    fs::create_directories(artifacts);
    const std::string drive = (work / "drive").string();
    test::mountTmpfs(drive, "size=64m");
    struct Unmount {
        std::string path;
        ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
    } unmount{drive};
    // One folder holds nearly all the bytes: the treemap's largest block.
    test::fillTree(drive, 20, 3, 4096);
    fs::create_directories(work / "drive" / "video");
    std::ofstream(work / "drive" / "video" / "film.bin", std::ios::binary) << std::string(8 << 20, 'v');

    test::XServer server;
    ASSERT_TRUE(server.start(CORVATH_XVFB)) << "Xvfb did not start";
    const char* path = std::getenv("PATH");
    const std::vector<std::string> environment = test::environmentWith({
        {"DISPLAY", server.display()},
        {"QT_QPA_PLATFORM", "xcb"},
        {"XDG_CONFIG_HOME", (work / "config").string()},
        {"XDG_DATA_HOME", (work / "data").string()},
        {"XDG_RUNTIME_DIR", (work / "runtime").string()},
        {"PATH", path != nullptr ? path : "/usr/bin:/bin"},
        {"LSAN_OPTIONS", test::leakCheckOptions(work.path().string())},
    });
    const fs::path database = work / "data" / "corvath" / "scans.db";
    const auto showResults = [&](const std::string& shot) {
        const std::string log = (artifacts / (shot + ".log")).string();
        fs::remove(log);
        test::ChildProcess results(CORVATH_RESULTS, {}, environment, log);
        test::XWindow window(CORVATH_XDOTOOL, CORVATH_IMPORT, environment);
        EXPECT_TRUE(waitUntil(30s, [&] { return !results.running() || window.find("Corvath Results"); }) &&
                    results.running())
            << "the results window did not appear";
        // Captured once it has been painted.
        test::WindowShot capture;
        waitUntil(10s, [&] {
            const std::string file = (artifacts / (shot + ".png")).string();
            capture = window.capture(file) ? test::WindowShot(QString::fromStdString(file)) : test::WindowShot();
            return capture.painted();
        });
        results.terminate();
        return capture;
    };

    // Before any analysis it says how to make one, and shows no treemap.
    const test::WindowShot empty = showResults("e2e-results-empty");
    ASSERT_TRUE(empty.painted());
    EXPECT_LT(largestBlockPixels(empty.image()), 100);
    EXPECT_FALSE(fs::exists(database)) << "looking writes nothing";

    // The wizard analyzes the drive.
    const auto reg = [&](const std::vector<std::string>& arguments) {
        const test::CommandResult result = test::runCommand(CORVATH_REG, arguments, environment);
        ASSERT_EQ(result.status, 0) << result.output;
    };
    reg({"add", "HKCU\\Software\\Tamsel", "/v", "StartExplorer", "/t", "REG_DWORD", "/d", "0", "/f"});
    reg({"add", "HKCU\\Software\\Tamsel", "/v", "SelectedDrives", "/t", "REG_SZ", "/d", drive, "/f"});
    {
        test::ChildProcess wizard(CORVATH_ANALYZER, {}, environment, (artifacts / "e2e-results-wizard.log").string());
        test::XWindow window(CORVATH_XDOTOOL, CORVATH_IMPORT, environment);
        ASSERT_TRUE(waitUntil(30s, [&] { return !wizard.running() || window.find("Corvath Analyzer"); }) &&
                    wizard.running());
        const QRect next = test::wizard_px::kNextButton;
        ASSERT_TRUE(waitUntil(30s, [&] {
            const std::string file = (artifacts / "e2e-results-wizard.png").string();
            return window.capture(file) && test::WindowShot(QString::fromStdString(file)).darkPixels(
                                               next.adjusted(4, 4, -4, -4)) > 20;
        })) << "Next never became enabled";
        ASSERT_TRUE(window.click(next.center().x(), next.center().y()));
        ASSERT_TRUE(waitUntil(60s, [&] { return !storedScans(database).empty(); })) << "no scan was stored";
        // Finish, in Next's place once the done page is up.
        std::this_thread::sleep_for(1s);
        ASSERT_TRUE(window.click(next.center().x(), next.center().y()));
        EXPECT_EQ(wizard.waitFor(20s), std::optional<int>(0));
    }
    const std::vector<StoredScan> scans = storedScans(database);
    ASSERT_EQ(scans.size(), 1u);
    EXPECT_EQ(scans[0].root, drive);

    // The results window opens on that scan: the video folder fills most of the treemap.
    const test::WindowShot shown = showResults("e2e-results-window");
    ASSERT_TRUE(shown.painted());
    EXPECT_GT(largestBlockPixels(shown.image()), 50000) << "see " << (artifacts / "e2e-results-window.png");
}

}  // namespace
}  // namespace corvath
