#pragma once

#include <filesystem>

namespace corvath {

// The user's home: $HOME when it is absolute, else the password database's
// home, else "/". A relative HOME is refused so that every store lands in the
// same home whatever the current folder.
std::filesystem::path homeFolder();

// $XDG_CONFIG_HOME and $XDG_DATA_HOME, where an unset or relative value means
// ~/.config and ~/.local/share.
std::filesystem::path configHome();
std::filesystem::path dataHome();

// The settings store: configHome()/corvath/registry.db; kSettingsStoreText as
// help texts write it.
std::filesystem::path defaultRegistryStorePath();
inline constexpr const char* kSettingsStoreText = "~/.config/corvath/registry.db";
// The scans database: dataHome()/corvath/scans.db; kResultsDatabaseText as help
// texts write it.
std::filesystem::path defaultResultsDatabasePath();
inline constexpr const char* kResultsDatabaseText = "~/.local/share/corvath/scans.db";

}  // namespace corvath
