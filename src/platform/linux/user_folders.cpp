#include "platform/linux/user_folders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace corvath {

namespace {

bool absolute(const char* value) { return value != nullptr && value[0] == '/'; }

// The XDG rules ignore a relative value.
fs::path xdgFolder(const char* variable, const fs::path& fallbackBelowHome) {
    if (const char* value = std::getenv(variable); absolute(value)) return value;
    return homeFolder() / fallbackBelowHome;
}

}  // namespace

fs::path homeFolder() {
    if (const char* home = std::getenv("HOME"); absolute(home)) return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && absolute(entry->pw_dir)) {
        return entry->pw_dir;
    }
    return "/";
}

fs::path configHome() { return xdgFolder("XDG_CONFIG_HOME", ".config"); }

fs::path dataHome() { return xdgFolder("XDG_DATA_HOME", fs::path(".local") / "share"); }

fs::path defaultRegistryStorePath() { return configHome() / "corvath" / "registry.db"; }

fs::path defaultResultsDatabasePath() { return dataHome() / "corvath" / "scans.db"; }

}  // namespace corvath
