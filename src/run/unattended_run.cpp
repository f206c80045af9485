#include "run/unattended_run.h"

#include "run/file_manager.h"
#include "drives/enumerate_drives.h"
#include "settings/analyzer_settings.h"

#include <exception>
#include <ostream>

namespace corvath {

int runUnattended(RunState& state, RegistryStore& store, VolumeLayer& volumes, FileManager& fileManager,
                  const EngineFactory& makeEngine, std::ostream& errors) {
    state.noDrivesSelected = false;
    state.rememberSelection = loadRememberFlag(store, nullptr);
    if (state.rememberSelection) {
        loadSavedSelection(store, state.savedSelection);
    }

    enumerateDrives(volumes, nullptr, state.savedSelection, state.driveSelection, state.noDrivesSelected);
    if (state.noDrivesSelected) {
        return 0;
    }
    if (state.rememberSelection) {
        saveSelection(store, state.driveSelection);
    }

    // A failed analysis must not pass for a completed one, so it ends the run with
    // an error instead of going on to the next drive or the file manager.
    std::string drive;
    try {
        std::unique_ptr<AnalysisEngine> engine = makeEngine();
        for (const std::string& entry : state.driveSelection) {
            drive = entry;
            engine->AnalyzeDrive(entry);
            engine->FinishDrive();
        }
    } catch (const std::exception& failure) {
        errors << "corvath-analyzer: analysis of " << (drive.empty() ? std::string("the drives") : drive)
               << " failed: " << failure.what() << '\n';
        return 1;
    }

    if (readStartExplorer(store)) {
        launchExplorer(state.driveSelection, fileManager);
    }
    return 0;
}

}  // namespace corvath
