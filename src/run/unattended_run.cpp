#include "run/unattended_run.h"

#include "run/file_manager.h"
#include "drives/enumerate_drives.h"
#include "settings/analyzer_settings.h"
#include "text/ascii_case.h"

#include <algorithm>
#include <exception>
#include <ostream>

namespace corvath {

namespace {

// A timer's run must not pass in silence while a drive's history stops: one
// line for each saved drive that is no longer there (each once, empty entries
// skipped).
void reportMissingSavedDrives(const RunState& state, std::ostream& errors) {
    std::vector<std::string> told;
    const auto among = [](const std::vector<std::string>& names, const std::string& name) {
        return std::any_of(names.begin(), names.end(),
                           [&](const std::string& other) { return equalsIgnoringCase(other, name); });
    };
    for (const std::string& entry : state.savedSelection.entries) {
        if (entry.empty() || among(state.driveSelection, entry) || among(told, entry)) continue;
        errors << "corvath-analyzer: the saved drive " << entry << " is not mounted; it is not analyzed\n";
        told.push_back(entry);
    }
}

}  // namespace

int runUnattended(RunState& state, RegistryStore& store, VolumeLayer& volumes, FileManager& fileManager,
                  const EngineFactory& makeEngine, std::ostream& errors) {
    state.noDrivesSelected = false;
    state.rememberSelection = loadRememberFlag(store, nullptr);
    if (state.rememberSelection) {
        loadSavedSelection(store, state.savedSelection);
    }

    enumerateDrives(volumes, nullptr, state.savedSelection, state.driveSelection, state.noDrivesSelected);
    if (state.savedSelection.present) reportMissingSavedDrives(state, errors);
    if (state.noDrivesSelected) {
        // Nothing to do is success only when nothing was asked for.
        return state.savedSelection.present ? 1 : 0;
    }
    if (state.rememberSelection) {
        for (const std::string& drive : saveSelection(store, state.driveSelection)) {
            std::string shown;
            for (const char c : drive) shown += c == '\t' ? std::string("\\t") : std::string(1, c);
            errors << "corvath-analyzer: the drive " << shown
                   << " is analyzed but not remembered: its name holds a TAB, which separates the saved drives\n";
        }
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
