// corvath-results' runner as the program calls it, making its own application:
// "--database FILE" opens that file; an argument it does not know ends it with
// status 2 and one line naming it, while Qt's own options stay Qt's.
#include "qt/qt_results_application.h"

#include "engine/event_pump.h"
#include "engine/scanner.h"
#include "qt/qt_results_window.h"
#include "results/results_database.h"
#include "support/recording_file_manager.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/freedesktop_trash.h"

namespace corvath {
namespace {

namespace fs = std::filesystem;

// What the window showed once it was up; it is then closed, as a user would.
std::optional<StoredScan> shown;
bool emptyState = false;

void closeTheWindowOnceShown() {
    auto* user = new QTimer(qApp);
    QObject::connect(user, &QTimer::timeout, [] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* window = qobject_cast<QtResultsWindow*>(widget);
            if (window == nullptr || !window->isVisible()) continue;
            shown = window->shownScan();
            emptyState = window->showingEmptyState();
            window->close();
        }
    });
    user->start(20);
}

class ResultsApplication : public ::testing::Test {
protected:
    ResultsApplication() {
        fs::create_directories(runtime.path() / "run");
        fs::permissions(runtime.path() / "run", fs::perms::owner_all);
        ::setenv("XDG_RUNTIME_DIR", (runtime.path() / "run").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (runtime.path() / "data").c_str(), 1);  // the user's own: holds nothing
    }

    int run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "corvath-results");
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        int argc = static_cast<int>(arguments.size());
        return runResultsApplication(argc, argv.data(), (runtime.path() / "data" / "scans.db").string(), fileManager,
                                     trash, [](EventPump&, const std::string&) { return std::unique_ptr<AnalysisEngine>(); });
    }

    test::TempDir runtime;
    test::RecordingFileManager fileManager;
    FreedesktopTrash trash;
};

TEST_F(ResultsApplication, TheDatabaseOptionOpensThatFile) {
    test::TempDir tree, data;
    test::writeFile(tree / "a" / "file", "some bytes");
    const fs::path elsewhere = data / "elsewhere.db";
    {
        ResultsDatabase results(elsewhere.string());
        WaitPump pump;
        Scanner scanner(pump, results, ScannerOptions{2});
        scanner.AnalyzeDrive(tree.path().string());
        scanner.FinishDrive();
    }
    qAddPreRoutine(closeTheWindowOnceShown);
    // Qt's -platform is taken by Qt and is no mistake.
    EXPECT_EQ(run({"-platform", "offscreen", "--database", elsewhere.string()}), 0);
    ASSERT_TRUE(shown.has_value()) << (emptyState ? "it showed no scans" : "no window");
    EXPECT_EQ(shown->root, tree.path().string());
}

TEST_F(ResultsApplication, AnUnknownArgumentIsNamedInOneLineAndEndsWithStatusTwo) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--frobnicate"}, {"stray"}, {"--database"}}) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(run(arguments), 2);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(said.rfind("corvath-results: ", 0), 0u) << said;
        EXPECT_NE(said.find(arguments.front()), std::string::npos) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    }
}

}  // namespace
}  // namespace corvath
