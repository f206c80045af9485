#pragma once

#include <filesystem>

namespace corvath {

// The user's store: $XDG_CONFIG_HOME/corvath/registry.db, where an unset or
// relative XDG_CONFIG_HOME means ~/.config.
std::filesystem::path defaultRegistryStorePath();

}  // namespace corvath
