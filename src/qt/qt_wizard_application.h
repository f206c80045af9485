#pragma once

#include "run/file_manager.h"
#include "run/run_state.h"
#include "drives/volume_layer.h"
#include "engine/analysis_engine.h"
#include "engine/event_pump.h"
#include "settings/registry_store.h"

#include <functional>
#include <memory>

namespace corvath {

using PumpedEngineFactory = std::function<std::unique_ptr<AnalysisEngine>(EventPump& pump)>;

// The interactive run: creates the Qt application and the wizard window, runs the
// start-up and then the window's events until the window has been unloaded.
// Returns the process's exit status; 2 with one line on standard error when there
// is no display to show the window on.
int runWizardApplication(int argc, char** argv, RunState& state, RegistryStore& store, VolumeLayer& volumes,
                         FileManager& fileManager, const PumpedEngineFactory& makeEngine);

}  // namespace corvath
