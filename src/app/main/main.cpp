// corvath-analyzer: the wizard, or with "-auto" the unattended run.

#include "app/run_mode.h"
#include "app/run_state.h"
#include "app/unattended_run.h"
#include "engine/scanner.h"
#include "engine/wait_pump.h"
#include "platform/linux/linux_volume_layer.h"
#include "platform/linux/registry_store_path.h"
#include "platform/linux/sqlite_registry_store.h"
#include "platform/linux/xdg_file_manager.h"

#ifdef CORVATH_WITH_WIZARD
#include "wizard/qt_wizard_application.h"
#endif

#include <iostream>

int main(int argc, char** argv) {
    using namespace corvath;

    RunState state;
    state.unattended = commandLineAsksUnattended(commandLineOf(argc, argv));

    SqliteRegistryStore store(defaultRegistryStorePath());
    LinuxVolumeLayer volumes;
    XdgFileManager fileManager;

    if (state.unattended) {
        WaitPump pump;
        return runUnattended(state, store, volumes, fileManager,
                             [&pump] { return std::make_unique<Scanner>(pump); }, std::cerr);
    }
#ifdef CORVATH_WITH_WIZARD
    return runWizardApplication(argc, argv, state, store, volumes, fileManager,
                                [](EventPump& pump) { return std::make_unique<Scanner>(pump); });
#else
    std::cerr << "corvath-analyzer: this build has no window; use corvath-analyzer -auto\n";
    return 2;
#endif
}
