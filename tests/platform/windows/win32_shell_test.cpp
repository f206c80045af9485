#include "platform/windows/user_folders.h"
#include "platform/windows/win32_file_manager.h"

#include "support/recording_file_manager.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace corvath {
namespace {

TEST(Win32Explorer, OpensTheFirstDriveOfTheSelectionWithTheTreeView) {
    test::RecordingFileManager recorded;
    launchExplorer({"D:", "C:"}, recorded);
    ASSERT_EQ(recorded.opened.size(), 1u);
    EXPECT_EQ(explorerParameters(recorded.opened[0]), "/e, D:\\");
}

TEST(Win32UserFolders, TheScansDatabaseLivesInTheLocalApplicationData) {
    const char* local = std::getenv("LOCALAPPDATA");
    ASSERT_NE(local, nullptr);
    EXPECT_EQ(localAppDataFolder(), std::filesystem::path(local));
    EXPECT_EQ(defaultResultsDatabasePath(), std::filesystem::path(local) / "Corvath" / "scans.db");
    EXPECT_TRUE(defaultResultsDatabasePath().is_absolute());
}

}  // namespace
}  // namespace corvath
