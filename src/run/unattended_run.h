#pragma once

#include "run/file_manager.h"
#include "run/run_state.h"
#include "drives/volume_layer.h"
#include "engine/analysis_engine.h"
#include "settings/registry_store.h"

#include <functional>
#include <iosfwd>
#include <memory>

namespace corvath {

using EngineFactory = std::function<std::unique_ptr<AnalysisEngine>()>;

// Analyses the remembered drives (or, with none remembered, every fixed drive)
// with no window, remembers them and opens the file manager on the first when
// StartExplorer says so. Returns the process's exit status: 0, or 1 after a
// failure of the engine, which is reported in one line on errors. Each saved
// drive that is not there is told in one line too, and when none of the saved
// drives is there the status is 1.
int runUnattended(RunState& state, RegistryStore& store, VolumeLayer& volumes, FileManager& fileManager,
                  const EngineFactory& makeEngine, std::ostream& errors);

}  // namespace corvath
