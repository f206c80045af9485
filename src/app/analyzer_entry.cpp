// corvath-analyzer's composition: the wizard, or with "-auto" the unattended run.
#include "app/analyzer_entry.h"

#include "engine/scanner.h"
#include "engine/event_pump.h"
#include "platform/shared/abandonable_child.h"
#include "platform/linux/linux_drive_mounts.h"
#include "platform/linux/linux_volume_layer.h"
#include "platform/linux/sqlite_registry_store.h"
#include "platform/linux/user_folders.h"
#include "platform/linux/xdg_file_manager.h"
#include "results/results_database.h"
#include "run/run_state.h"
#include "run/unattended_run.h"
#include "settings/excluded_folders.h"
#include "text/standard_options.h"
#include "app/analyzer_help.h"

#ifdef CORVATH_WITH_WIZARD
#include "platform/shared/bounded_call.h"
#include "qt/qt_event_pump.h"
#include "qt/qt_wizard_application.h"
#endif

#include <iostream>
#include <string>

namespace {

using namespace corvath;

const std::string kHelp = analyzerHelp(
    "Exit status: 0 done, 1 an analysis failed, 2 no display to show the window on.\n",
    std::string("Settings: ") + kSettingsStoreText + "; results: " + kResultsDatabaseText + ".\n");

// The saved exclude patterns are read when the engine is made, at the run's start.
ScannerOptions scannerOptions(DriveMounts& mounts, std::chrono::milliseconds stallLimit, RegistryStore& store) {
    ScannerOptions options;
    options.mounts = &mounts;
    options.stallLimit = stallLimit;
    options.excludedFolders = loadExcludedFolders(store);
    return options;
}

int runUnattendedHere(RunState& state, std::chrono::milliseconds stallLimit) {
    SqliteRegistryStore store(defaultRegistryStorePath());
    LinuxVolumeOptions volumeOptions;
    volumeOptions.prefetchProbes = false;  // the unattended run never probes
    LinuxVolumeLayer volumes(volumeOptions);
    XdgFileManager fileManager;
    ResultsDatabase results(defaultResultsDatabasePath().string());
    LinuxDriveMounts mounts;
    WaitPump pump;
    return runUnattended(
        state, store, volumes, fileManager,
        [&] { return std::make_unique<Scanner>(pump, results, scannerOptions(mounts, stallLimit, store)); }, std::cerr);
}

}  // namespace

namespace corvath {

int runAnalyzer(int argc, char** argv, std::chrono::milliseconds stallLimit) {
    int status = 0;
    if (answerStandardOption(argc, argv, "corvath-analyzer", kHelp, std::cout, status)) return status;
    RunState state;
    state.unattended = commandLineAsksUnattended(commandLineOf(argc, argv));

    if (state.unattended) {
        // A drive that stops answering can hold a thread of the scan for good, and
        // such a thread keeps its process alive: the run happens in a child that
        // can be left behind, so that a timer's run always ends.
        return runInAbandonableChild([&state, stallLimit] { return runUnattendedHere(state, stallLimit); });
    }
#ifdef CORVATH_WITH_WIZARD
    SqliteRegistryStore store(defaultRegistryStorePath());
    LinuxVolumeLayer volumes;
    XdgFileManager fileManager;
    ResultsDatabase results(defaultResultsDatabasePath().string());
    LinuxDriveMounts mounts;
    // A drive that keeps the window's thread waiting must not keep the window
    // from painting; the user's input waits until the thread is free.
    const WhileWaiting keepWindowDrawn(runWindowSystemEvents);
    return runWizardApplication(argc, argv, state, store, volumes, fileManager, [&, stallLimit](EventPump& pump) {
        return std::make_unique<Scanner>(pump, results, scannerOptions(mounts, stallLimit, store));
    });
#else
    std::cerr << "corvath-analyzer: this build has no window; use corvath-analyzer -auto\n";
    return 2;
#endif
}

}  // namespace corvath
