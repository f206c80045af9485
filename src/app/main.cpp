// corvath-analyzer: the wizard, or with "-auto" the unattended run.

#include "engine/scanner.h"
#include "engine/event_pump.h"
#include "platform/linux/abandonable_child.h"
#include "platform/linux/linux_drive_mounts.h"
#include "platform/linux/linux_volume_layer.h"
#include "platform/linux/sqlite_registry_store.h"
#include "platform/linux/user_folders.h"
#include "platform/linux/xdg_file_manager.h"
#include "results/results_database.h"
#include "run/run_state.h"
#include "run/unattended_run.h"
#include "text/standard_options.h"
#include "app/analyzer_help.h"

#ifdef CORVATH_WITH_WIZARD
#include "qt/qt_wizard_application.h"
#endif

#include <cstdlib>
#include <iostream>

namespace {

using namespace corvath;

const std::string kHelp = analyzerHelp(
    "Exit status: 0 done, 1 an analysis failed, 2 no display to show the window on.\n",
    "Settings: ~/.config/corvath/registry.db; results: ~/.local/share/corvath/scans.db.\n");

ScannerOptions scannerOptions(DriveMounts& mounts) {
    ScannerOptions options;
    options.mounts = &mounts;
    // Tests shorten the wait for a drive that stops answering; nothing else sets it.
    if (const char* limit = std::getenv("CORVATH_TEST_STALL_LIMIT_MS")) {
        const long milliseconds = std::strtol(limit, nullptr, 10);
        if (milliseconds > 0) options.stallLimit = std::chrono::milliseconds(milliseconds);
    }
    return options;
}

int runUnattendedHere(RunState& state) {
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
        [&] { return std::make_unique<Scanner>(pump, results, scannerOptions(mounts)); }, std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
    int status = 0;
    if (answerStandardOption(argc, argv, "corvath-analyzer", kHelp, std::cout, status)) return status;
    RunState state;
    state.unattended = commandLineAsksUnattended(commandLineOf(argc, argv));

    if (state.unattended) {
        // A drive that stops answering can hold a thread of the scan for good, and
        // such a thread keeps its process alive: the run happens in a child that
        // can be left behind, so that a timer's run always ends.
        return runInAbandonableChild([&state] { return runUnattendedHere(state); });
    }
#ifdef CORVATH_WITH_WIZARD
    SqliteRegistryStore store(defaultRegistryStorePath());
    LinuxVolumeLayer volumes;
    XdgFileManager fileManager;
    ResultsDatabase results(defaultResultsDatabasePath().string());
    LinuxDriveMounts mounts;
    return runWizardApplication(argc, argv, state, store, volumes, fileManager, [&](EventPump& pump) {
        return std::make_unique<Scanner>(pump, results, scannerOptions(mounts));
    });
#else
    std::cerr << "corvath-analyzer: this build has no window; use corvath-analyzer -auto\n";
    return 2;
#endif
}
