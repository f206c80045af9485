// The loading notice is seen while a slow drive is probed: the real program on
// an X server of its own, with a FUSE filesystem that never answers mounted in
// a private mount namespace, so that filling the drive list waits the probe's
// whole bound; captures of the window meanwhile must show the notice.
#include "e2e/child_process.h"
#include "e2e/window_shot.h"
#include "e2e/x_display.h"
#include "support/hanging_filesystem.h"
#include "support/mount_namespace.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <unistd.h>

namespace corvath {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using test::WindowShot;
namespace px = test::wizard_px;

bool missing(const char* program) { return std::string(program).empty() || ::access(program, X_OK) != 0; }

// The notice is one long line at the top of its box. The empty list shows no
// line, and the filled list shows one line per drive, the root and the hung
// drive at least; an unpainted window is dark all over.
bool showsTheNotice(const WindowShot& shot) {
    const QRect box = px::kDriveList.adjusted(3, 3, -3, -3);
    const std::vector<QRect> lines = shot.textLines(box);
    return shot.painted() && lines.size() == 1 && lines[0].top() < box.top() + 16 && lines[0].height() <= 16 &&
           lines[0].width() >= 150;
}

TEST(LoadingNotice, IsPaintedWhileASlowDriveIsProbed) {
#ifndef CORVATH_FUSE_HANG
    GTEST_SKIP() << "built without FUSE 3 (apt-get install libfuse3-dev fuse3)";
#else
    if (missing(CORVATH_XVFB)) GTEST_SKIP() << "Xvfb is not installed (apt-get install xvfb)";
    if (missing(CORVATH_XDOTOOL)) GTEST_SKIP() << "xdotool is not installed (apt-get install xdotool)";
    if (missing(CORVATH_IMPORT)) GTEST_SKIP() << "ImageMagick's import is not installed (apt-get install imagemagick)";
    std::string reason;
    if (!test::enterPrivateMountNamespace(reason)) GTEST_SKIP() << reason;
    if (::access("/dev/fuse", R_OK | W_OK) != 0) GTEST_SKIP() << "no /dev/fuse to mount the hanging filesystem on";

    test::TempDir work;
    for (const char* folder : {"config", "data"}) fs::create_directories(work / folder);
    fs::create_directories(work / "runtime");
    fs::permissions(work / "runtime", fs::perms::owner_all);
    const fs::path artifacts = CORVATH_ARTIFACT_DIR;
    fs::create_directories(artifacts);

    test::XServer server;
    ASSERT_TRUE(server.start(CORVATH_XVFB)) << "Xvfb did not start";
    const std::vector<std::string> environment = test::environmentWith({
        {"DISPLAY", server.display()},
        {"QT_QPA_PLATFORM", "xcb"},
        {"XDG_CONFIG_HOME", (work / "config").string()},
        {"XDG_DATA_HOME", (work / "data").string()},
        {"XDG_RUNTIME_DIR", (work / "runtime").string()},
    });

    // Declared first so that it goes last: the filesystem is stopped before the
    // program is killed, freeing a probe still stuck in it.
    std::optional<test::ChildProcess> app;
    test::HangingFilesystem hung(CORVATH_FUSE_HANG, work / "hung");
    ASSERT_TRUE(hung.mounted()) << "the hanging filesystem did not mount";

    const std::string log = (artifacts / "loading-notice.log").string();
    fs::remove(log);
    app.emplace(CORVATH_ANALYZER, std::vector<std::string>{}, environment, log);
    test::XWindow window(CORVATH_XDOTOOL, CORVATH_IMPORT, environment);
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (!window.find("Corvath Analyzer")) {
        ASSERT_TRUE(app->running()) << "the program ended; it said: " << test::readFile(log);
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the window did not appear";
        std::this_thread::sleep_for(20ms);
    }

    // Captured until the list shows: the probe holds the list back for its
    // bound of 2 s, time for several captures.
    const std::string candidate = (artifacts / "loading-notice-candidate.png").string();
    bool noticeSeen = false;
    int captures = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        if (!window.capture(candidate)) continue;
        ++captures;
        const WindowShot shot(QString::fromStdString(candidate));
        if (showsTheNotice(shot)) {
            noticeSeen = true;
            fs::copy_file(candidate, artifacts / "loading-notice.png", fs::copy_options::overwrite_existing);
            break;
        }
        if (shot.painted() && shot.textLines(px::kDriveList.adjusted(3, 3, -3, -3)).size() >= 2) break;
    }
    EXPECT_TRUE(noticeSeen) << "no capture of " << captures << " showed the notice; the last is " << candidate;

    // Then the list is filled and shown in its place.
    bool listShown = false;
    while (!listShown && std::chrono::steady_clock::now() < deadline) {
        listShown = window.capture(candidate) &&
                    WindowShot(QString::fromStdString(candidate)).textLines(px::kDriveList.adjusted(3, 3, -3, -3)).size() >= 2;
    }
    EXPECT_TRUE(listShown) << "the drive list never showed; the program said: " << test::readFile(log);
#endif
}

}  // namespace
}  // namespace corvath
