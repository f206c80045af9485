#include "run/file_manager.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

struct RecordingFileManager : corvath::FileManager {
    std::vector<std::string> opened;
    bool fail = false;
    void open(const std::string& root) override {
        opened.push_back(root);
        if (fail) {
            throw std::runtime_error("cannot start");
        }
    }
};

}  // namespace

TEST(LaunchExplorer, OpensTheFirstDriveOnlyAtItsRoot) {
    RecordingFileManager fm;
    corvath::launchExplorer({"/media/usb", "/", "/home"}, fm);
    EXPECT_EQ(fm.opened, std::vector<std::string>{"/media/usb/"});

    RecordingFileManager root;
    corvath::launchExplorer({"/"}, root);
    EXPECT_EQ(root.opened, std::vector<std::string>{"/"});
}

TEST(LaunchExplorer, EmptySelectionOrEmptyFirstEntryLaunchesNothing) {
    RecordingFileManager fm;
    corvath::launchExplorer({}, fm);
    corvath::launchExplorer({""}, fm);
    corvath::launchExplorer({"", "/home"}, fm);
    EXPECT_TRUE(fm.opened.empty());
}

TEST(LaunchExplorer, AFailureToStartIsSwallowed) {
    RecordingFileManager fm;
    fm.fail = true;
    EXPECT_NO_THROW(corvath::launchExplorer({"/home"}, fm));
    EXPECT_EQ(fm.opened.size(), 1u);
}
