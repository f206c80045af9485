#include "platform/windows/win32_volume_layer.h"

#include "drives/enumerate_drives.h"
#include "drives/selection_gathering.h"
#include "platform/windows/system_image_list.h"
#include "support/drive_roots.h"
#include "support/fake_drive_list.h"
#include "support/temp_dir.h"
#include "wine_drive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>

#include <windows.h>

namespace corvath {
namespace {

using test::FakeDriveList;
using test::WineDrive;

// Three drives of the test's own under Wine: P: fixed, over a folder holding a
// file; Q: removable, over an empty folder; R: an optical drive with no medium.
class Win32Drives : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string unixFolder = test::unixPathOf(folder.path());
        if (unixFolder.empty()) {
            GTEST_SKIP() << "needs Wine's mount manager";
        }
        test::writeFile(folder / "fixed" / "file.txt", "some bytes");
        std::filesystem::create_directories(folder / "removable");
        fixed = std::make_unique<WineDrive>('P', DRIVE_FIXED, unixFolder + "/fixed");
        removable = std::make_unique<WineDrive>('Q', DRIVE_REMOVABLE, unixFolder + "/removable");
        noMedium = std::make_unique<WineDrive>('R', DRIVE_CDROM, unixFolder + "/no-medium");
        ASSERT_TRUE(fixed->defined() && removable->defined() && noMedium->defined());
    }

    test::TempDir folder;
    std::unique_ptr<WineDrive> fixed, removable, noMedium;
    // Wine under a loaded machine can take longer than the product's two
    // seconds for a first listing, and its mount manager, announcing the drives
    // these tests define and remove, now and then holds a drive's calls for
    // about 30 s; these tests are about answers, not the bound.
    Win32VolumeLayer volumes{std::chrono::minutes(2)};
};

TEST_F(Win32Drives, ListsTheRootsInDriveOrderWithTheirTypes) {
    const std::vector<std::string> roots = test::splitDriveRoots(volumes.driveRoots());
    for (const char* root : {"C:\\", "P:\\", "Q:\\", "R:\\"}) {
        EXPECT_NE(std::find(roots.begin(), roots.end(), root), roots.end()) << root;
    }
    EXPECT_TRUE(std::is_sorted(roots.begin(), roots.end()));
    EXPECT_EQ(volumes.driveType("P:"), drive_type::kFixed);
    EXPECT_EQ(volumes.driveType("Q:"), drive_type::kRemovable);
    EXPECT_EQ(volumes.driveType("R:"), drive_type::kCdRom);
    EXPECT_EQ(volumes.driveType("B:"), drive_type::kNoRootDir);
}

TEST_F(Win32Drives, DescribesEachDriveWithItsNameAndAnIconOfTheSmallImageList) {
    std::vector<int> indexes;
    for (const char* root : {"C:\\", "P:\\", "Q:\\", "R:\\"}) {
        ShellInfo info;
        ASSERT_TRUE(volumes.shellInfo(root, info)) << root;
        EXPECT_NE(info.displayName.find(std::string("(") + root[0] + ":)"), std::string::npos) << info.displayName;
        std::size_t digits = 0;
        const int index = std::stoi(info.iconName, &digits);
        EXPECT_EQ(digits, info.iconName.size()) << info.iconName;
        EXPECT_GE(index, 0);
        indexes.push_back(index);
    }
    // The shell adds a drive's icon to its list when it first describes the drive.
    const HIMAGELIST images = systemSmallImageList();
    ASSERT_NE(images, nullptr);
    EXPECT_LT(*std::max_element(indexes.begin(), indexes.end()), ImageList_GetImageCount(images));
}

TEST_F(Win32Drives, ProbesReadableEmptyAndMediumlessDrives) {
    EXPECT_EQ(volumes.probe("P:\\"), ProbeOutcome::Readable);
    // An empty root has no first entry: some other failure, still analyzed.
    EXPECT_EQ(volumes.probe("Q:\\"), ProbeOutcome::OtherFailure);
    EXPECT_EQ(volumes.probe("R:\\"), ProbeOutcome::Inaccessible);
    // The form without the backslash probes the same root.
    EXPECT_EQ(volumes.probe("P:"), ProbeOutcome::Readable);
}

TEST_F(Win32Drives, MeasuresTheVolumeOfADriveAndNothingWithoutAMedium) {
    DiskSpace space;
    ASSERT_TRUE(volumes.diskSpace("P:", space));
    EXPECT_GT(space.totalBytes, 0u);
    EXPECT_LE(space.totalFreeBytes, space.totalBytes);
    // The disk under P: is shared with whatever else runs: measure around the
    // call and allow for what others wrote meanwhile.
    const std::uint64_t used = usedBytesOfDrive(volumes, "P:");
    DiskSpace after;
    ASSERT_TRUE(volumes.diskSpace("P:", after));
    constexpr std::uint64_t kSlack = 64ull << 20;
    const auto [low, high] = std::minmax(space.totalBytes - space.totalFreeBytes, after.totalBytes - after.totalFreeBytes);
    EXPECT_GE(used + kSlack, low);
    EXPECT_LE(used, high + kSlack);

    DiskSpace none;
    EXPECT_FALSE(volumes.diskSpace("R:", none));
    EXPECT_EQ(none.totalBytes, 0u);
    EXPECT_EQ(usedBytesOfDrive(volumes, "R:"), 0u);
}

TEST_F(Win32Drives, EnumerationListsMarksAndTicksTheRealDrives) {
    FakeDriveList list;
    std::vector<std::string> selection;
    bool noDrivesSelected = false;
    enumerateDrives(volumes, &list, SavedSelection{}, selection, noDrivesSelected);

    std::vector<std::string> names;
    for (const FakeDriveList::Item& item : list.items) names.push_back(item.driveName);
    const auto at = [&](const char* name) {
        const auto found = std::find(names.begin(), names.end(), name);
        EXPECT_NE(found, names.end()) << name;
        return found == names.end() ? FakeDriveList::Item{} : list.items[static_cast<std::size_t>(found - names.begin())];
    };
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    EXPECT_TRUE(at("P:").checked);
    EXPECT_FALSE(at("P:").inaccessible);
    EXPECT_FALSE(at("Q:").checked);
    EXPECT_FALSE(at("Q:").inaccessible);
    EXPECT_FALSE(at("R:").checked);
    EXPECT_TRUE(at("R:").inaccessible);
    EXPECT_NE(at("R:").text.find("(R:)"), std::string::npos);

    // The unattended run: the saved drives, in drive order, whatever their state.
    enumerateDrives(volumes, nullptr, SavedSelection{true, {"r:", "q:", "x:"}}, selection, noDrivesSelected);
    EXPECT_EQ(selection, (std::vector<std::string>{"Q:", "R:"}));
}

TEST_F(Win32Drives, GatheringLeavesOutTheDriveWithNoMediumAndNamesIt) {
    FakeDriveList list;
    for (const char* name : {"P:", "R:"}) {
        list.addItem(name);
        list.setDriveName(list.count() - 1, name);
        list.setChecked(list.count() - 1, true);
    }
    std::vector<std::string> messages;
    std::vector<std::string> selection;
    bool noDrivesSelected = false;
    EXPECT_TRUE(collectCheckedDrives(
        list, volumes, [&](const std::string& text) { messages.push_back(text); }, selection, noDrivesSelected));
    EXPECT_EQ(selection, std::vector<std::string>{"P:"});
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].substr(messages[0].size() - 3), "R:\\");
}

// Access denied and a dropped share count as "cannot be read" too: otherwise the
// drive is neither marked nor reported, and its analysis ends the whole run.
TEST(Win32ProbeOutcome, NoMediumDeniedAndLostSharesMakeADriveInaccessible) {
    EXPECT_EQ(probeOutcomeOfFindError(0), ProbeOutcome::Readable);
    for (unsigned long error : {52ul, 21ul, 3ul, 5ul, 53ul, 64ul, 67ul, 1117ul, 31ul, 123ul, 998ul}) {
        EXPECT_EQ(probeOutcomeOfFindError(error), ProbeOutcome::Inaccessible) << error;
    }
    for (unsigned long error : {2ul, 18ul, 87ul}) {
        EXPECT_EQ(probeOutcomeOfFindError(error), ProbeOutcome::OtherFailure) << error;
    }
}

}  // namespace
}  // namespace corvath
