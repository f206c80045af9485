#include "engine/results_path.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace corvath {

namespace {

std::string nonEmpty(const char* value) { return value != nullptr ? std::string(value) : std::string(); }

std::string homeFolder() {
    std::string home = nonEmpty(std::getenv("HOME"));
    if (!home.empty()) return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    return "/";
}

}  // namespace

std::string defaultResultsDatabasePath() {
    // The XDG rules ignore a relative value.
    const std::string dataHome = nonEmpty(std::getenv("XDG_DATA_HOME"));
    if (!dataHome.empty() && dataHome.front() == '/') return dataHome + "/corvath/scans.db";
    std::string home = homeFolder();
    if (home.back() == '/') home.pop_back();
    return home + "/.local/share/corvath/scans.db";
}

}  // namespace corvath
