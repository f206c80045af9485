// corvath-analyzer.exe: the wizard, or with "-auto" the unattended run.

#include "engine/event_pump.h"
#include "engine/scanner.h"
#include "platform/shared/abandonable_child.h"
#include "platform/shared/bounded_call.h"
#include "platform/windows/parent_console.h"
#include "platform/windows/user_folders.h"
#include "platform/windows/win32_drive_mounts.h"
#include "platform/windows/win32_file_manager.h"
#include "platform/windows/win32_registry_store.h"
#include "platform/windows/win32_volume_layer.h"
#include "win32/win32_event_pump.h"
#include "win32/win32_wizard_application.h"
#include "results/results_database.h"
#include "run/run_state.h"
#include "run/unattended_run.h"
#include "settings/excluded_folders.h"
#include "text/standard_options.h"
#include "app/analyzer_help.h"

#include <iostream>

namespace {

using namespace corvath;

const std::string kHelp = analyzerHelp(
    "Exit status: 0 done, 1 an analysis failed.\n",
    "Settings: HKEY_CURRENT_USER\\Software\\Tamsel; results: %LOCALAPPDATA%\\Corvath\\scans.db.\n");

// What both runs are made of.
struct Win32Parts {
    Win32RegistryStore store;
    Win32VolumeLayer volumes;
    Win32FileManager fileManager;
    ResultsDatabase results{defaultResultsDatabasePath().string()};
    Win32DriveMounts mounts;
    ScannerOptions options;
    Win32Parts() { options.mounts = &mounts; }
    // The saved exclude patterns are read when the engine is made, at the run's start.
    std::unique_ptr<Scanner> scanner(EventPump& pump) {
        options.excludedFolders = loadExcludedFolders(store);
        return std::make_unique<Scanner>(pump, results, options);
    }
};

int runUnattendedHere(RunState& state) {
    Win32Parts parts;
    WaitPump pump;
    return runUnattended(state, parts.store, parts.volumes, parts.fileManager, [&] { return parts.scanner(pump); },
                         std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
    // Before anything is written: --help, --version and -auto's failures reach
    // the command prompt that started the program.
    useParentConsole();
    int status = 0;
    if (answerStandardOption(argc, argv, "corvath-analyzer", kHelp, std::cout, status)) return status;
    RunState state;
    state.unattended = commandLineAsksUnattended(commandLineOf(argc, argv));

    if (state.unattended) {
        // A drive that stops answering can hold a thread of the scan for good, and
        // such a thread keeps its process from ending: the run happens in a child
        // that can be left behind, so that a scheduled run always ends.
        return runInAbandonableChild([&state] { return runUnattendedHere(state); });
    }
    Win32Parts parts;
    // A drive that keeps the window's thread waiting must not keep the window
    // from painting; the user's input waits until the thread is free.
    const WhileWaiting keepWindowDrawn(runWindowSystemMessages);
    return runWin32WizardApplication(state, parts.store, parts.volumes, parts.fileManager,
                                     [&parts](EventPump& pump) { return parts.scanner(pump); });
}
