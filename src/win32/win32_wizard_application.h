#pragma once

#include "drives/volume_layer.h"
#include "engine/analysis_engine.h"
#include "engine/event_pump.h"
#include "run/file_manager.h"
#include "run/run_state.h"
#include "settings/registry_store.h"

#include <functional>
#include <memory>

namespace corvath {

// Makes the engine, given the event pump that runs the window's messages while
// the engine works.
using PumpedEngineFactory = std::function<std::unique_ptr<AnalysisEngine>(EventPump& pump)>;

// The interactive run in a Win32 window: creates the wizard window, runs the
// start-up and then the window's messages until the window has been unloaded and
// the handler that was running has returned. Returns the process's exit status:
// 1 when an engine failure ended the run, else 0.
int runWin32WizardApplication(RunState& state, RegistryStore& store, VolumeLayer& volumes, FileManager& fileManager,
                              const PumpedEngineFactory& makeEngine);

}  // namespace corvath
