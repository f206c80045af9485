#pragma once

#include <filesystem>

namespace corvath {

// The user's local application data folder (%LOCALAPPDATA%, as the shell
// knows it); empty when neither the shell nor the environment names one.
std::filesystem::path localAppDataFolder();

// The scans database: localAppDataFolder()\Corvath\scans.db (relative to the
// current folder in the unlikely case that nothing names that folder). The results
// database makes the Corvath folder when it first stores a scan. kResultsDatabaseText
// as help texts write it.
std::filesystem::path defaultResultsDatabasePath();
inline constexpr const char* kResultsDatabaseText = "%LOCALAPPDATA%\\Corvath\\scans.db";

}  // namespace corvath
