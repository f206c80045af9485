#include "drives/enumerate_drives.h"

#include "support/fake_drive_list.h"
#include "support/fake_volume_layer.h"

#include <gtest/gtest.h>

using corvath::enumerateDrives;
using corvath::ProbeOutcome;
using corvath::SavedSelection;
using corvath::test::FakeDriveList;
using corvath::test::FakeVolumeLayer;
namespace drive_type = corvath::drive_type;

namespace {

// Three drives /a, /c, /d; /c fixed, /a removable and unreadable, /d of the given type.
FakeVolumeLayer threeDrives(int typeOfD) {
    FakeVolumeLayer volumes;
    volumes.add("/a/", drive_type::kRemovable).probe = ProbeOutcome::Inaccessible;
    volumes.add("/c/", drive_type::kFixed);
    volumes.add("/d/", typeOfD);
    return volumes;
}

SavedSelection saved(std::vector<std::string> entries) {
    return SavedSelection{true, std::move(entries)};
}

struct Outcome {
    std::vector<std::string> selection{"stale"};
    bool noDrivesSelected = false;
};

Outcome unattended(FakeVolumeLayer& volumes, const SavedSelection& selection) {
    Outcome out;
    enumerateDrives(volumes, nullptr, selection, out.selection, out.noDrivesSelected);
    return out;
}

}  // namespace

TEST(EnumerateDrivesInteractive, ListsEveryDriveInOrderMarksTheUnreadableAndTicksFixedOnes) {
    for (int typeOfD : {drive_type::kFixed, drive_type::kRemote}) {
        FakeVolumeLayer volumes = threeDrives(typeOfD);
        FakeDriveList list;
        list.addItem("left over from an earlier fill");
        std::vector<std::string> selection{"stale"};
        bool noDrivesSelected = false;

        enumerateDrives(volumes, &list, SavedSelection{}, selection, noDrivesSelected);

        ASSERT_EQ(list.count(), 3);
        EXPECT_EQ(list.items[0].text, "Disk (/a)");
        EXPECT_EQ(list.items[0].driveName, "/a");
        EXPECT_EQ(list.items[1].driveName, "/c");
        EXPECT_EQ(list.items[2].driveName, "/d");
        EXPECT_EQ(list.items[0].icon, "drive-removable-media");
        EXPECT_TRUE(list.items[0].inaccessible);
        EXPECT_FALSE(list.items[1].inaccessible);
        EXPECT_FALSE(list.items[0].checked);
        EXPECT_TRUE(list.items[1].checked);
        EXPECT_EQ(list.items[2].checked, typeOfD == drive_type::kFixed);
        // The interactive run appends nothing: the ticks are the selection.
        EXPECT_EQ(selection, std::vector<std::string>{""});
        EXPECT_TRUE(noDrivesSelected);
    }
}

TEST(EnumerateDrivesInteractive, SavedSelectionTicksExactlyTheSavedDrivesEvenUnreadableOnes) {
    FakeVolumeLayer volumes = threeDrives(drive_type::kFixed);
    FakeDriveList list;
    std::vector<std::string> selection;
    bool noDrivesSelected = false;

    enumerateDrives(volumes, &list, saved({"/D", "/A"}), selection, noDrivesSelected);

    EXPECT_TRUE(list.items[0].checked) << "a saved drive is ticked although it cannot be read";
    EXPECT_TRUE(list.items[0].inaccessible);
    EXPECT_FALSE(list.items[1].checked) << "a fixed drive that is not saved stays unticked";
    EXPECT_TRUE(list.items[2].checked);
}

TEST(EnumerateDrivesUnattended, NoSavedSelectionTakesTheFixedDrivesInPlatformOrder) {
    FakeVolumeLayer volumes = threeDrives(drive_type::kFixed);
    Outcome out = unattended(volumes, SavedSelection{});
    EXPECT_EQ(out.selection, (std::vector<std::string>{"/c", "/d"}));
    EXPECT_FALSE(out.noDrivesSelected);
}

TEST(EnumerateDrivesUnattended, SavedSelectionMatchesWholeNamesWithoutRegardToCase) {
    struct Case {
        const char* what;
        std::vector<std::string> entries;
        std::vector<std::string> expected;
        bool noDrivesSelected;
    };
    const std::vector<Case> cases = {
        {"another case and order", {"/D", "/C"}, {"/c", "/d"}, false},
        {"a drive named twice is chosen once", {"/c", "/C", "/c"}, {"/c"}, false},
        {"an unreadable saved drive is still chosen", {"/a"}, {"/a"}, false},
        {"entries are not trimmed", {" /c", "/c "}, {""}, true},
        {"a prefix is not a match", {"/", "/cc"}, {""}, true},
        {"saved drives all absent: not even fixed drives", {"/x", "/y"}, {""}, true},
        {"empty entries match nothing", {"", ""}, {""}, true},
    };
    for (const Case& c : cases) {
        FakeVolumeLayer volumes = threeDrives(drive_type::kFixed);
        Outcome out = unattended(volumes, saved(c.entries));
        EXPECT_EQ(out.selection, c.expected) << c.what;
        EXPECT_EQ(out.noDrivesSelected, c.noDrivesSelected) << c.what;
    }
}

TEST(EnumerateDrivesUnattended, AsksNoDriveForItsNameOrAccessAndLeavesOutOnlyDrivesThatAreGone) {
    FakeVolumeLayer volumes = threeDrives(drive_type::kFixed);
    volumes.drives[1].shellInfoFails = true;
    volumes.add("/gone/", drive_type::kNoRootDir);

    Outcome out = unattended(volumes, saved({"/c", "/d", "/gone"}));
    EXPECT_EQ(out.selection, (std::vector<std::string>{"/c", "/d"}));
    EXPECT_TRUE(volumes.described.empty());
    EXPECT_TRUE(volumes.probed.empty());
}

TEST(EnumerateDrivesInteractive, ADriveWhoseShellQueryFailsIsLeftOutEntirely) {
    FakeVolumeLayer volumes = threeDrives(drive_type::kFixed);
    volumes.drives[1].shellInfoFails = true;

    FakeDriveList list;
    std::vector<std::string> selection;
    bool noDrivesSelected = false;
    enumerateDrives(volumes, &list, SavedSelection{}, selection, noDrivesSelected);
    EXPECT_EQ(volumes.probed, (std::vector<std::string>{"/a/", "/d/"})) << "no probe for a drive left out";
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.items[1].driveName, "/d");
    EXPECT_TRUE(list.items[1].checked);
}

TEST(EnumerateDrives, RootListWithoutItsClosingNulStillReachesTheLastRoot) {
    FakeVolumeLayer volumes = threeDrives(drive_type::kFixed);
    volumes.omitClosingNul = true;
    Outcome out = unattended(volumes, SavedSelection{});
    EXPECT_EQ(out.selection, (std::vector<std::string>{"/c", "/d"}));
}

TEST(EnumerateDrives, NothingChosenOrListedSetsNoDrivesSelected) {
    FakeVolumeLayer removableOnly;
    removableOnly.add("/a/", drive_type::kRemovable);
    removableOnly.add("/net/", drive_type::kRemote);
    Outcome out = unattended(removableOnly, SavedSelection{});
    EXPECT_EQ(out.selection, std::vector<std::string>{""});
    EXPECT_TRUE(out.noDrivesSelected);

    FakeVolumeLayer failedQuery; // the platform answered with no roots at all
    out = unattended(failedQuery, SavedSelection{});
    EXPECT_EQ(out.selection, std::vector<std::string>{""});
    EXPECT_TRUE(out.noDrivesSelected);
}

TEST(EnumerateDrives, TheRootDriveKeepsItsSlashAsName) {
    FakeVolumeLayer volumes;
    volumes.add("/", drive_type::kFixed);
    volumes.add("/home/", drive_type::kFixed);
    Outcome out = unattended(volumes, saved({"/", "/HOME"}));
    EXPECT_EQ(out.selection, (std::vector<std::string>{"/", "/home"}));
}
