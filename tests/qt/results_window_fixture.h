#pragma once

// The results window's tests share this: a real tree, scanned by the real
// engine into a real scans database, and the window over it.
#include "engine/event_pump.h"
#include "engine/scanner.h"
#include "platform/linux/freedesktop_trash.h"
#include "qt/qt_results_window.h"
#include "qt/qt_test_app.h"
#include "results/results_database.h"
#include "support/recording_file_manager.h"
#include "support/temp_dir.h"

#include <QTest>

#include <filesystem>
#include <fstream>
#include <memory>

namespace corvath::test {

class ResultsWindowFixture : public QtFixture {
protected:
    static void writeBytes(const std::filesystem::path& file, std::size_t bytes) {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << std::string(bytes, 'x');
    }

    // Scans the tree as it is now into the database.
    void store() {
        WaitPump pump;
        Scanner scanner(pump, results, ScannerOptions{2});
        scanner.AnalyzeDrive(tree.path().string());
        scanner.FinishDrive();
    }

    // The window over a database, shown; without engines, "Analyze Again" runs none.
    std::unique_ptr<QtResultsWindow> openWindow(const std::filesystem::path& path, PumpedEngineFactory engines = {}) {
        auto window = std::make_unique<QtResultsWindow>(path.string(), fileManager, *trashCan, std::move(engines));
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return window;
    }
    std::unique_ptr<QtResultsWindow> openWindow() { return openWindow(database); }

    TempDir tree;
    TempDir data;
    std::filesystem::path database = data / "scans.db";
    ResultsDatabase results{database.string()};
    RecordingFileManager fileManager;
    FreedesktopTrash trash;
    TrashCan* trashCan = &trash;
};

}  // namespace corvath::test
