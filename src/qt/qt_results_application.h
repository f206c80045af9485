#pragma once

#include <string>

#include "qt/qt_wizard_application.h"
#include "run/file_manager.h"
#include "run/trash_can.h"
#include "settings/registry_store.h"

namespace corvath {

// corvath-results: creates the Qt application and the results window over the
// scans database at databasePath and runs it until the window closes. Returns
// the exit status; 2 with one line on standard error when there is no display
// to show the window on. settings is where its "Excluded Folders..." keeps them.
int runResultsApplication(int argc, char** argv, const std::string& databasePath, FileManager& fileManager,
                          TrashCan& trash, const PumpedEngineFactory& makeEngine, RegistryStore* settings = nullptr);

}  // namespace corvath
