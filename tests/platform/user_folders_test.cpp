// Where the two stores live: both follow the same home and XDG rules.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <pwd.h>
#include <string>
#include <unistd.h>

#include "platform/linux/user_folders.h"

namespace corvath {
namespace {

// Sets or clears one environment variable for the scope, then restores it.
class EnvironmentValue {
public:
    EnvironmentValue(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) ::setenv(name, value->c_str(), 1);
        else ::unsetenv(name);
    }
    ~EnvironmentValue() {
        if (old_) ::setenv(name_, old_->c_str(), 1);
        else ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

std::string passwordHome() { return ::getpwuid(::getuid())->pw_dir; }

TEST(UserFolders, BothStoresFollowAnAbsoluteHomeAndIgnoreRelativeXdgFolders) {
    EnvironmentValue home("HOME", "/home/someone");
    EnvironmentValue config("XDG_CONFIG_HOME", "relative/config");
    EnvironmentValue data("XDG_DATA_HOME", "");
    EXPECT_EQ(defaultRegistryStorePath(), "/home/someone/.config/corvath/registry.db");
    EXPECT_EQ(defaultResultsDatabasePath(), "/home/someone/.local/share/corvath/scans.db");
}

TEST(UserFolders, AbsoluteXdgFoldersWin) {
    EnvironmentValue home("HOME", "/home/someone");
    EnvironmentValue config("XDG_CONFIG_HOME", "/cfg");
    EnvironmentValue data("XDG_DATA_HOME", "/data");
    EXPECT_EQ(defaultRegistryStorePath(), "/cfg/corvath/registry.db");
    EXPECT_EQ(defaultResultsDatabasePath(), "/data/corvath/scans.db");
}

TEST(UserFolders, ARelativeOrMissingHomeFallsBackToThePasswordDatabaseForBothStores) {
    EnvironmentValue config("XDG_CONFIG_HOME", std::nullopt);
    EnvironmentValue data("XDG_DATA_HOME", std::nullopt);
    for (const std::optional<std::string>& value : {std::optional<std::string>("some/where"),
                                                   std::optional<std::string>(""), std::optional<std::string>()}) {
        EnvironmentValue home("HOME", value);
        EXPECT_EQ(homeFolder(), passwordHome());
        EXPECT_EQ(defaultRegistryStorePath().parent_path().parent_path().parent_path(), passwordHome());
        EXPECT_EQ(defaultResultsDatabasePath().parent_path().parent_path().parent_path().parent_path(),
                  passwordHome());
    }
}

}  // namespace
}  // namespace corvath
