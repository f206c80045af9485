#include "platform/linux/registry_store_path.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace corvath {

namespace {

fs::path homeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        return home;
    }
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    return "/";
}

}  // namespace

fs::path defaultRegistryStorePath() {
    fs::path config;
    // The XDG rules ignore a relative value.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
        config = xdg;
    } else {
        config = homeFolder() / ".config";
    }
    return config / "corvath" / "registry.db";
}

}  // namespace corvath
