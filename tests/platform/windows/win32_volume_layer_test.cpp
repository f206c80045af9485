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
#include <type_traits>

#include <windows.h>

namespace corvath {
namespace {

using test::FakeDriveList;
using test::WineDrive;

// The product's layer, with each bounded call timed. Wine now and then leaves
// a call on a drive it has just defined unanswered for minutes (about one run
// in ten of these tests, whatever the bound); the layer then rightly reads the
// drive as one that cannot be read, which says nothing of the answers these
// tests check, so such a run is skipped, saying so.
class TimedVolumes : public VolumeLayer {
public:
    explicit TimedVolumes(std::chrono::milliseconds bound) : layer_(bound), bound_(bound) {}
    std::string driveRoots() override { return layer_.driveRoots(); }
    bool shellInfo(const std::string& root, ShellInfo& info) override { return layer_.shellInfo(root, info); }
    int driveType(const std::string& driveName) override { return layer_.driveType(driveName); }
    ProbeOutcome probe(const std::string& root) override {
        return timed([&] { return layer_.probe(root); });
    }
    bool diskSpace(const std::string& driveName, DiskSpace& space) override {
        return timed([&] { return layer_.diskSpace(driveName, space); });
    }
    bool stalled() const { return stalled_; }

private:
    template <typename F>
    std::invoke_result_t<F> timed(F call) {
        const auto start = std::chrono::steady_clock::now();
        auto result = call();
        stalled_ = stalled_ || std::chrono::steady_clock::now() - start >= bound_;
        return result;
    }
    Win32VolumeLayer layer_;
    std::chrono::milliseconds bound_;
    bool stalled_ = false;
};

#define SKIP_IF_WINE_STALLED() \
    if (volumes.stalled()) GTEST_SKIP() << "Wine left a call on a drive it had just defined unanswered"

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
    // seconds for a first listing; these tests are about answers, not the bound.
    TimedVolumes volumes{std::chrono::seconds(30)};
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
    // The form without the backslash probes the same root.
    const ProbeOutcome fixedRoot = volumes.probe("P:\\"), emptyRoot = volumes.probe("Q:\\"),
                       noMediumRoot = volumes.probe("R:\\"), fixedName = volumes.probe("P:");
    SKIP_IF_WINE_STALLED();
    EXPECT_EQ(fixedRoot, ProbeOutcome::Readable);
    // An empty root has no first entry: some other failure, still analyzed.
    EXPECT_EQ(emptyRoot, ProbeOutcome::OtherFailure);
    EXPECT_EQ(noMediumRoot, ProbeOutcome::Inaccessible);
    EXPECT_EQ(fixedName, ProbeOutcome::Readable);
}

TEST_F(Win32Drives, MeasuresTheVolumeOfADriveAndNothingWithoutAMedium) {
    // The disk under P: is shared with whatever else runs: measure around the
    // call and allow for what others wrote meanwhile.
    DiskSpace space, after, none;
    const bool measured = volumes.diskSpace("P:", space);
    const std::uint64_t used = usedBytesOfDrive(volumes, "P:");
    const bool measuredAfter = volumes.diskSpace("P:", after);
    const bool measuredNone = volumes.diskSpace("R:", none);
    const std::uint64_t usedNone = usedBytesOfDrive(volumes, "R:");
    SKIP_IF_WINE_STALLED();
    ASSERT_TRUE(measured && measuredAfter);
    EXPECT_GT(space.totalBytes, 0u);
    EXPECT_LE(space.totalFreeBytes, space.totalBytes);
    constexpr std::uint64_t kSlack = 64ull << 20;
    const auto [low, high] = std::minmax(space.totalBytes - space.totalFreeBytes, after.totalBytes - after.totalFreeBytes);
    EXPECT_GE(used + kSlack, low);
    EXPECT_LE(used, high + kSlack);

    EXPECT_FALSE(measuredNone);
    EXPECT_EQ(none.totalBytes, 0u);
    EXPECT_EQ(usedNone, 0u);
}

TEST_F(Win32Drives, EnumerationListsMarksAndTicksTheRealDrives) {
    FakeDriveList list;
    std::vector<std::string> selection;
    bool noDrivesSelected = false;
    enumerateDrives(volumes, &list, SavedSelection{}, selection, noDrivesSelected);
    SKIP_IF_WINE_STALLED();

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
    const bool gathered = collectCheckedDrives(
        list, volumes, [&](const std::string& text) { messages.push_back(text); }, selection, noDrivesSelected);
    SKIP_IF_WINE_STALLED();
    EXPECT_TRUE(gathered);
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
