// corvath-results: the results window over the scans database.

#include "engine/event_pump.h"
#include "engine/scanner.h"
#include "platform/linux/freedesktop_trash.h"
#include "platform/linux/linux_drive_mounts.h"
#include "platform/linux/sqlite_registry_store.h"
#include "platform/linux/user_folders.h"
#include "platform/linux/xdg_file_manager.h"
#include "qt/qt_results_application.h"
#include "results/results_database.h"
#include "settings/excluded_folders.h"
#include "text/standard_options.h"
#include "ui/results_arguments.h"

#include <iostream>
#include <memory>
#include <optional>

int main(int argc, char** argv) {
    using namespace corvath;
    const std::string database = defaultResultsDatabasePath().string();
    int status = 0;
    // Qt's own options may come first.
    if (answerStandardOption(argc, argv, "corvath-results", resultsUsage(database), std::cout, status,
                             StandardOptionPlace::Anywhere)) {
        return status;
    }
    XdgFileManager fileManager;
    FreedesktopTrash trash;
    std::optional<ResultsDatabase> results;  // the one the window reads, made for the first rescan
    LinuxDriveMounts mounts;
    SqliteRegistryStore store(defaultRegistryStorePath());
    return runResultsApplication(argc, argv, database, fileManager, trash,
                                 [&](EventPump& pump, const std::string& chosen) {
                                     if (!results) results.emplace(chosen);
                                     ScannerOptions options;
                                     options.mounts = &mounts;
                                     // A rescan leaves out what the analyzer's runs leave out.
                                     options.excludedFolders = loadExcludedFolders(store);
                                     return std::make_unique<Scanner>(pump, *results, options);
                                 },
                                 &store);
}
