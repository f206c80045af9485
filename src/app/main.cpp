// corvath-analyzer: the wizard, or with "-auto" the unattended run.

#include "engine/scanner.h"
#include "engine/wait_pump.h"
#include "platform/linux/linux_volume_layer.h"
#include "platform/linux/sqlite_registry_store.h"
#include "platform/linux/user_folders.h"
#include "platform/linux/xdg_file_manager.h"
#include "results/results_database.h"
#include "run/run_state.h"
#include "run/unattended_run.h"

#ifdef CORVATH_WITH_WIZARD
#include "qt/qt_wizard_application.h"
#endif

#include <iostream>

int main(int argc, char** argv) {
    using namespace corvath;

    RunState state;
    state.unattended = commandLineAsksUnattended(commandLineOf(argc, argv));

    SqliteRegistryStore store(defaultRegistryStorePath());
    LinuxVolumeLayer volumes;
    XdgFileManager fileManager;
    ResultsDatabase results(defaultResultsDatabasePath().string());

    if (state.unattended) {
        WaitPump pump;
        return runUnattended(state, store, volumes, fileManager,
                             [&pump, &results] { return std::make_unique<Scanner>(pump, results); }, std::cerr);
    }
#ifdef CORVATH_WITH_WIZARD
    return runWizardApplication(argc, argv, state, store, volumes, fileManager,
                                [&results](EventPump& pump) { return std::make_unique<Scanner>(pump, results); });
#else
    std::cerr << "corvath-analyzer: this build has no window; use corvath-analyzer -auto\n";
    return 2;
#endif
}
