// The loading notice is seen while a slow drive is probed: the real program on
// an X server of its own, with a FUSE filesystem that never answers mounted in
// a private mount namespace, so that filling the drive list waits the probe's
// whole bound; captures of the window meanwhile must show the notice, and
// input given meanwhile must come to nothing.
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

// The program on its own X server while its drive list waits on the hanging
// filesystem for the probe's whole bound of 2 s.
class LoadingNotice : public ::testing::Test {
protected:
    void SetUp() override {
#ifndef CORVATH_FUSE_HANG
        GTEST_SKIP() << "built without FUSE 3 (apt-get install libfuse3-dev fuse3)";
#else
        if (missing(CORVATH_XVFB)) GTEST_SKIP() << "Xvfb is not installed (apt-get install xvfb)";
        if (missing(CORVATH_XDOTOOL)) GTEST_SKIP() << "xdotool is not installed (apt-get install xdotool)";
        if (missing(CORVATH_IMPORT)) GTEST_SKIP() << "ImageMagick's import is not installed (apt-get install imagemagick)";
        std::string reason;
        if (!test::enterPrivateMountNamespace(reason)) GTEST_SKIP() << reason;
        if (::access("/dev/fuse", R_OK | W_OK) != 0) GTEST_SKIP() << "no /dev/fuse to mount the hanging filesystem on";

        for (const char* folder : {"config", "data"}) fs::create_directories(work_ / folder);
        fs::create_directories(work_ / "runtime");
        fs::permissions(work_ / "runtime", fs::perms::owner_all);
        fs::create_directories(artifacts_);

        ASSERT_TRUE(server_.start(CORVATH_XVFB)) << "Xvfb did not start";
        const std::vector<std::string> environment = test::environmentWith({
            {"DISPLAY", server_.display()},
            {"QT_QPA_PLATFORM", "xcb"},
            {"XDG_CONFIG_HOME", (work_ / "config").string()},
            {"XDG_DATA_HOME", (work_ / "data").string()},
            {"XDG_RUNTIME_DIR", (work_ / "runtime").string()},
            {"LSAN_OPTIONS", test::leakCheckOptions(work_.path().string())},
        });
        hung_.emplace(CORVATH_FUSE_HANG, work_ / "hung");
        ASSERT_TRUE(hung_->mounted()) << "the hanging filesystem did not mount";

        log_ = (artifacts_ / (testName() + ".log")).string();
        fs::remove(log_);
        app_.emplace(CORVATH_ANALYZER, std::vector<std::string>{}, environment, log_);
        window_.emplace(CORVATH_XDOTOOL, CORVATH_IMPORT, environment);
        while (!window_->find("Corvath Analyzer")) {
            ASSERT_TRUE(app_->running()) << "the program ended; it said: " << test::readFile(log_);
            ASSERT_LT(std::chrono::steady_clock::now(), deadline_) << "the window did not appear";
            std::this_thread::sleep_for(20ms);
        }
#endif
    }

    void TearDown() override {
        // The filesystem is stopped before the program is killed, freeing a
        // probe still stuck in it.
        hung_.reset();
        app_.reset();
    }

    static std::string testName() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }
    std::string shotPath(const std::string& what) const { return (artifacts_ / ("loading-" + what + ".png")).string(); }

    // Captures until one shows the notice (kept as loading-NAME.png), or the
    // list has shown, or time is up.
    std::optional<WindowShot> captureTheNotice(const std::string& name) {
        const std::string candidate = shotPath(name + "-candidate");
        int captures = 0;
        while (std::chrono::steady_clock::now() < deadline_) {
            if (!window_->capture(candidate)) continue;
            ++captures;
            WindowShot shot(QString::fromStdString(candidate));
            if (showsTheNotice(shot)) {
                fs::copy_file(candidate, shotPath(name), fs::copy_options::overwrite_existing);
                return shot;
            }
            if (showsTheList(shot)) break;
        }
        ADD_FAILURE() << "no capture of " << captures << " showed the notice; the last is " << candidate;
        return std::nullopt;
    }

    // Captures until the filled list shows in the notice's place.
    std::optional<WindowShot> captureTheList() {
        const std::string candidate = shotPath("list");
        while (std::chrono::steady_clock::now() < deadline_) {
            WindowShot shot = window_->capture(candidate) ? WindowShot(QString::fromStdString(candidate)) : WindowShot();
            if (showsTheList(shot)) return shot;
        }
        ADD_FAILURE() << "the drive list never showed; the program said: " << test::readFile(log_);
        return std::nullopt;
    }

    static bool showsTheList(const WindowShot& shot) {
        return shot.painted() && shot.textLines(px::kDriveList.adjusted(3, 3, -3, -3)).size() >= 2;
    }

    test::TempDir work_;
    const fs::path artifacts_ = CORVATH_ARTIFACT_DIR;
    const std::chrono::steady_clock::time_point deadline_ = std::chrono::steady_clock::now() + 30s;
    test::XServer server_;
    std::optional<test::HangingFilesystem> hung_;
    std::optional<test::ChildProcess> app_;
    std::optional<test::XWindow> window_;
    std::string log_;
};

TEST_F(LoadingNotice, IsPaintedWhileASlowDriveIsProbed) {
    captureTheNotice("notice");
    captureTheList();
}

// While the list loads, Next and "Remember these settings" are drawn disabled,
// the window paints again after being unmapped and mapped (minimised and
// restored), and neither a click on Next nor Enter given meanwhile does
// anything once the list is there: no run starts, no question is asked.
TEST_F(LoadingNotice, InputGivenWhileLoadingIsDropped) {
    const std::optional<WindowShot> loading = captureTheNotice("disabled");
    ASSERT_TRUE(loading);
    EXPECT_EQ(loading->darkPixels(px::kNextButton), 0) << "Next is drawn enabled: " << shotPath("disabled");
    EXPECT_EQ(loading->darkPixels(px::kRememberText), 0) << "Remember is drawn enabled: " << shotPath("disabled");

    ASSERT_TRUE(window_->remap());
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(window_->click(px::kNextButton.center().x(), px::kNextButton.center().y()));
    ASSERT_TRUE(window_->key("Return"));
    // Still loading after all that, so the input came while it loaded; and
    // repainted after being mapped again.
    const std::optional<WindowShot> restored = captureTheNotice("restored");
    ASSERT_TRUE(restored) << "the list had loaded before the input was given";

    const std::optional<WindowShot> loaded = captureTheList();
    ASSERT_TRUE(loaded);
    // Given time to act on the input, the window still waits on the drive page.
    std::this_thread::sleep_for(1s);
    const std::string after = shotPath("after-input");
    ASSERT_TRUE(window_->capture(after));
    const WindowShot shot(QString::fromStdString(after));
    EXPECT_TRUE(showsTheList(shot)) << "the drive page went away: " << after;
    EXPECT_GT(shot.darkPixels(px::kNextButton), 0) << "Next is not drawn enabled after loading: " << after;
    EXPECT_GT(shot.darkPixels(px::kRememberText), 0) << "Remember is not drawn enabled after loading: " << after;
    EXPECT_EQ(window_->countNamed("Corvath Analyzer"), 1) << "a message box came up";
    EXPECT_TRUE(app_->running()) << "the program ended; it said: " << test::readFile(log_);
}

// Cancel is enabled while the list loads: a click on it is not lost, and asks
// its question once the list is there; Yes then ends the program.
TEST_F(LoadingNotice, CancelClickedWhileLoadingAsksOnceLoaded) {
    ASSERT_TRUE(captureTheNotice("before-cancel"));
    ASSERT_TRUE(window_->click(px::kCancelButton.center().x(), px::kCancelButton.center().y()));
    ASSERT_TRUE(captureTheNotice("cancel-clicked")) << "the list had loaded before Cancel was clicked";
    ASSERT_EQ(window_->countNamed("Corvath Analyzer"), 1) << "the question came while the list loaded";

    test::XWindow question = *window_;
    while (!question.find("Corvath Analyzer", window_->id())) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline_) << "Cancel clicked while loading asked nothing";
        std::this_thread::sleep_for(50ms);
    }
    ASSERT_TRUE(question.key("y"));
    while (window_->countNamed("Corvath Analyzer") > 0) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline_) << "Yes did not close the windows";
        std::this_thread::sleep_for(50ms);
    }
    // The probe still stuck in the hanging filesystem cannot be killed until
    // the filesystem goes: only then can the process be reaped.
    hung_.reset();
    EXPECT_EQ(app_->waitFor(10s), 0) << "the program said: " << test::readFile(log_);
}

}  // namespace
}  // namespace corvath
