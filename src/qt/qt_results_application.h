#pragma once

#include <functional>
#include <memory>
#include <string>

#include "engine/analysis_engine.h"
#include "engine/event_pump.h"
#include "run/file_manager.h"
#include "run/trash_can.h"
#include "settings/registry_store.h"

namespace corvath {

// Makes the engine for "Analyze Again", storing into database.
using ResultsEngineFactory = std::function<std::unique_ptr<AnalysisEngine>(EventPump& pump, const std::string& database)>;

// corvath-results: creates the Qt application and the results window over the
// scans database (usersDatabase, or the one "--database FILE" names) and runs
// it until the window closes. Returns the exit status; 2 with one line on
// standard error when there is no display to show the window on, or for an
// argument it does not know (Qt's own options are Qt's). settings is where
// its "Excluded Folders..." keeps them.
int runResultsApplication(int argc, char** argv, const std::string& usersDatabase, FileManager& fileManager,
                          TrashCan& trash, const ResultsEngineFactory& makeEngine, RegistryStore* settings = nullptr);

}  // namespace corvath
