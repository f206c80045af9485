#include "drives/selection_gathering.h"

#include "text/paths.h"

#include "support/fake_drive_list.h"
#include "support/fake_volume_layer.h"

#include <gtest/gtest.h>

using corvath::collectCheckedDrives;
using corvath::DiskSpace;
using corvath::ProbeOutcome;
using corvath::usedBytesOfDrive;
using corvath::test::FakeDriveList;
using corvath::test::FakeVolumeLayer;

namespace {

struct Message {
    std::string text;
};

struct Gathering {
    FakeVolumeLayer volumes;
    FakeDriveList list;
    std::vector<Message> messages;
    std::vector<std::string> selection{"earlier"};
    bool noDrivesSelected = false;

    void addDrive(const std::string& name, bool checked, ProbeOutcome probe = ProbeOutcome::Readable) {
        volumes.add(corvath::rootOfDriveName(name)).probe = probe;
        list.addItem(name);
        list.setDriveName(list.count() - 1, name);
        list.setChecked(list.count() - 1, checked);
    }

    bool collect() {
        return collectCheckedDrives(
            list, volumes,
            [this](const std::string& text) { messages.push_back({text}); },
            selection, noDrivesSelected);
    }
};

}  // namespace

TEST(CollectCheckedDrives, ReadableTickedDrivesBecomeTheSelectionInListOrderWithoutMessage) {
    Gathering g;
    g.addDrive("/c", true);
    g.addDrive("/x", false);
    g.addDrive("/d", true, ProbeOutcome::OtherFailure); // any other failure counts as readable
    EXPECT_TRUE(g.collect());
    EXPECT_EQ(g.selection, (std::vector<std::string>{"/c", "/d"}));
    EXPECT_FALSE(g.noDrivesSelected);
    EXPECT_TRUE(g.messages.empty());
}

TEST(CollectCheckedDrives, SomeUnreadableDrivesAreReportedAndLeftOut) {
    Gathering g;
    g.addDrive("/a", true, ProbeOutcome::Inaccessible);
    g.addDrive("/c", true);
    g.addDrive("/b", true, ProbeOutcome::Inaccessible);
    EXPECT_TRUE(g.collect());
    EXPECT_EQ(g.selection, std::vector<std::string>{"/c"});
    ASSERT_EQ(g.messages.size(), 1u);
    EXPECT_EQ(g.messages[0].text, "The following drives are not accessible and will not be analyzed: \n/a/\n/b/");
}

TEST(CollectCheckedDrives, AllTickedDrivesUnreadableStopsTheRun) {
    Gathering g;
    g.addDrive("/a", true, ProbeOutcome::Inaccessible);
    g.addDrive("/b", true, ProbeOutcome::Inaccessible);
    g.addDrive("/c", false);
    EXPECT_FALSE(g.collect());
    EXPECT_TRUE(g.noDrivesSelected);
    EXPECT_EQ(g.selection, std::vector<std::string>{"earlier"}) << "the selection is left as it was";
    ASSERT_EQ(g.messages.size(), 1u);
    EXPECT_EQ(g.messages[0].text, "The selected drives are not accessible and cannot be analyzed: \n/a/\n/b/");
}

TEST(CollectCheckedDrives, NothingTickedIsNoMessageButNoDrivesSelected) {
    Gathering g;
    g.addDrive("/c", false);
    EXPECT_TRUE(g.collect());
    EXPECT_TRUE(g.noDrivesSelected);
    EXPECT_TRUE(g.messages.empty());
    EXPECT_TRUE(g.volumes.probed.empty());
}

TEST(CollectCheckedDrives, StoredNamesAreProbedAsRootsWithOneSeparator) {
    Gathering g;
    g.addDrive("/c", true);
    g.list.setDriveName(0, "/c/"); // already ends with a separator: no second one
    g.addDrive("/", true);
    EXPECT_TRUE(g.collect());
    EXPECT_EQ(g.volumes.probed, (std::vector<std::string>{"/c/", "/"}));
    EXPECT_EQ(g.selection, (std::vector<std::string>{"/c", "/"}));
}

TEST(UsedBytesOfDrive, IsTotalMinusFreeExactIn64BitsAndZeroOnFailure) {
    FakeVolumeLayer volumes;
    volumes.add("/big/").space = DiskSpace{(1ull << 42) + 12345, (1ull << 33) + 5};
    volumes.add("/broken/").spaceFails = true;
    volumes.add("/odd/").space = DiskSpace{100, 200};

    EXPECT_EQ(usedBytesOfDrive(volumes, "/big"), (1ull << 42) + 12340 - (1ull << 33));
    EXPECT_EQ(usedBytesOfDrive(volumes, "/broken"), 0u);
    EXPECT_EQ(usedBytesOfDrive(volumes, "/missing"), 0u);
    EXPECT_EQ(usedBytesOfDrive(volumes, "/odd"), 0u) << "more free than total must not wrap around";
}
