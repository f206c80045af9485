// The folders left out of every drive's scans: the ExcludedFolders value, one
// pattern per TAB-separated field (FolderExcludes in the engine reads them).
#pragma once

#include <string>
#include <vector>

#include "settings/registry_store.h"

namespace corvath {

inline constexpr const char* kExcludedFolders = "ExcludedFolders";

// The saved patterns, empty fields left out; none when the value is missing or
// cannot be read.
std::vector<std::string> loadExcludedFolders(RegistryStore& store);
// Replaces the saved patterns (a pattern holding a TAB would split in two, so
// it is left out and returned). A missing key is not created.
std::vector<std::string> saveExcludedFolders(RegistryStore& store, const std::vector<std::string>& patterns);

}  // namespace corvath
