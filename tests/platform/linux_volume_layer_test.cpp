#include "platform/gate.h"
#include "platform/linux/linux_volume_layer.h"
#include "platform/mountinfo_file.h"
#include "support/temp_dir.h"

#include <gmock/gmock.h>
#include "support/drive_roots.h"

#include <gtest/gtest.h>
#include <map>
#include <set>

namespace corvath {
namespace {

using namespace std::chrono_literals;
using test::eventually;
using test::Gate;
using test::MountInfoFile;
using test::TempDir;
using ::testing::ElementsAre;

// Probes and disk-space queries that answer at once, except on the paths
// marked hung, which wait for the gate.
struct FakeSystem {
    Gate gate;
    std::mutex mutex;
    std::set<std::string> hung;
    std::map<std::string, int> calls;

    bool enter(const std::string& path) {
        std::lock_guard lock(mutex);
        ++calls[path];
        return hung.count(path) != 0;
    }
    int callsOf(const std::string& path) {
        std::lock_guard lock(mutex);
        return calls[path];
    }
    void setHung(const std::string& path, bool isHung) {
        std::lock_guard lock(mutex);
        if (isHung) {
            hung.insert(path);
        } else {
            hung.erase(path);
        }
    }
};

class LayerWithFakes : public ::testing::Test {
protected:
    static constexpr auto kBound = 300ms;

    void SetUp() override {
        MountInfoFile file(dir_ / "mountinfo");
        for (int i = 0; i < 4; ++i) {
            const auto folder = dir_ / ("d" + std::to_string(i));
            std::filesystem::create_directory(folder);
            names_.push_back(folder.string());
            roots_.push_back(folder.string() + "/");
            file.add("0:" + std::to_string(60 + i), "/", folder.string(), "tmpfs", "tmpfs");
        }
        options_.mountInfoPath = file.write();
        options_.bound = kBound;
        options_.budget = budget_;
        options_.probeRoot = [fake = fake_](const std::string& root) {
            if (fake->enter(root)) fake->gate.wait();
            return ProbeOutcome::Readable;
        };
        options_.queryDiskSpace = [fake = fake_](const std::string& path, DiskSpace& space) {
            if (fake->enter(path)) fake->gate.wait();
            space.totalBytes = 5'000'000'000;
            space.totalFreeBytes = 1'000'000'000;
            return true;
        };
    }

    void TearDown() override {
        // No worker may be left waiting when the test ends.
        fake_->gate.open();
        EXPECT_TRUE(eventually([&] { return budget_->inUse() == 0; }));
    }

    static std::chrono::milliseconds since(Clock::time_point start) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    }

    TempDir dir_;
    std::vector<std::string> names_;
    std::vector<std::string> roots_;
    std::shared_ptr<FakeSystem> fake_ = std::make_shared<FakeSystem>();
    std::shared_ptr<WorkerBudget> budget_ = std::make_shared<WorkerBudget>(8);
    LinuxVolumeOptions options_;
};

TEST_F(LayerWithFakes, ProbingEveryListedDriveCostsOneBoundHoweverManyHang) {
    fake_->setHung(roots_[1], true);
    fake_->setHung(roots_[2], true);
    LinuxVolumeLayer layer(options_);
    const auto start = Clock::now();
    const std::string roots = layer.driveRoots();
    ASSERT_EQ(test::splitDriveRoots(roots), roots_);
    std::vector<ProbeOutcome> outcomes;
    for (const std::string& root : test::splitDriveRoots(roots)) outcomes.push_back(layer.probe(root));
    const auto took = since(start);

    EXPECT_THAT(outcomes, ElementsAre(ProbeOutcome::Readable, ProbeOutcome::Inaccessible, ProbeOutcome::Inaccessible,
                                      ProbeOutcome::Readable));
    EXPECT_GE(took, kBound);
    EXPECT_LT(took, kBound + 200ms);
    // The answers came from the probes driveRoots started, one per drive.
    for (const std::string& root : roots_) EXPECT_EQ(fake_->callsOf(root), 1) << root;
}

TEST_F(LayerWithFakes, AHungDriveAnswersAtOnceLaterAndRecovers) {
    fake_->setHung(roots_[0], true);
    LinuxVolumeLayer layer(options_);
    EXPECT_EQ(layer.probe(roots_[0]), ProbeOutcome::Inaccessible);

    // Still hung: no second worker, no second wait.
    const auto start = Clock::now();
    EXPECT_EQ(layer.probe(roots_[0]), ProbeOutcome::Inaccessible);
    EXPECT_LT(since(start), 50ms);
    EXPECT_EQ(fake_->callsOf(roots_[0]), 1);
    EXPECT_EQ(budget_->inUse(), 1u);

    // Once the stuck call returns, the next probe asks the drive afresh.
    fake_->setHung(roots_[0], false);
    fake_->gate.open();
    ASSERT_TRUE(eventually([&] { return budget_->inUse() == 0; }));
    EXPECT_EQ(layer.probe(roots_[0]), ProbeOutcome::Readable);
    EXPECT_EQ(fake_->callsOf(roots_[0]), 2);
}

TEST_F(LayerWithFakes, APrefetchedAnswerServesOneProbeAndGoesStale) {
    options_.prefetchLifetime = 100ms;
    LinuxVolumeLayer layer(options_);
    layer.driveRoots();
    EXPECT_EQ(layer.probe(roots_[0]), ProbeOutcome::Readable);
    EXPECT_EQ(layer.probe(roots_[0]), ProbeOutcome::Readable);  // asked again, not the old answer
    EXPECT_EQ(fake_->callsOf(roots_[0]), 2);

    std::this_thread::sleep_for(150ms);
    EXPECT_EQ(layer.probe(roots_[1]), ProbeOutcome::Readable);  // too old to trust
    EXPECT_EQ(fake_->callsOf(roots_[1]), 2);
}

TEST_F(LayerWithFakes, ListingWithoutPrefetchTouchesNoDrive) {
    options_.prefetchProbes = false;
    LinuxVolumeLayer layer(options_);
    EXPECT_EQ(test::splitDriveRoots(layer.driveRoots()), roots_);
    EXPECT_EQ(budget_->inUse(), 0u);
    for (const std::string& root : roots_) EXPECT_EQ(fake_->callsOf(root), 0) << root;
}

TEST_F(LayerWithFakes, ProbesWithoutAWorkerToSpareCountAsUnanswered) {
    options_.budget = budget_ = std::make_shared<WorkerBudget>(1);
    fake_->setHung(roots_[0], true);
    LinuxVolumeLayer layer(options_);
    EXPECT_EQ(layer.probe(roots_[0]), ProbeOutcome::Inaccessible);
    const auto start = Clock::now();
    EXPECT_EQ(layer.probe(roots_[1]), ProbeOutcome::Inaccessible);
    EXPECT_LT(since(start), 50ms);
    EXPECT_EQ(fake_->callsOf(roots_[1]), 0);
}

TEST_F(LayerWithFakes, DiskSpaceOfAHungDriveIsZeroWithinTheBound) {
    fake_->setHung(names_[2], true);
    LinuxVolumeLayer layer(options_);
    DiskSpace space{1, 1};
    auto start = Clock::now();
    EXPECT_FALSE(layer.diskSpace(names_[2], space));
    EXPECT_GE(since(start), kBound);
    EXPECT_LT(since(start), kBound + 200ms);
    EXPECT_EQ(space.totalBytes, 0u);
    EXPECT_EQ(space.totalFreeBytes, 0u);

    start = Clock::now();
    space = DiskSpace{1, 1};
    EXPECT_FALSE(layer.diskSpace(names_[2], space));
    EXPECT_LT(since(start), 50ms);
    EXPECT_EQ(space.totalBytes, 0u);
    EXPECT_EQ(fake_->callsOf(names_[2]), 1);

    fake_->setHung(names_[2], false);
    fake_->gate.open();
    ASSERT_TRUE(eventually([&] { return budget_->inUse() == 0; }));
    ASSERT_TRUE(layer.diskSpace(names_[2], space));
    EXPECT_EQ(space.totalBytes, 5'000'000'000u);
    EXPECT_EQ(space.totalFreeBytes, 1'000'000'000u);
}

TEST_F(LayerWithFakes, NamesAndRootsOutsideTheTable) {
    LinuxVolumeLayer layer(options_);
    ShellInfo info;
    EXPECT_FALSE(layer.shellInfo("/no/such/mount/", info));
    EXPECT_EQ(layer.driveType("/no/such/mount"), drive_type::kNoRootDir);
    EXPECT_EQ(layer.driveType(names_[0]), drive_type::kRamDisk);
    EXPECT_EQ(layer.driveType(roots_[0]), drive_type::kRamDisk);
    ASSERT_TRUE(layer.shellInfo(roots_[3], info));
    EXPECT_EQ(info.displayName, "RAM Disk (" + names_[3] + ")");
    EXPECT_EQ(info.iconName, "media-memory");

    options_.mountInfoPath = (dir_ / "gone").string();
    LinuxVolumeLayer broken(options_);
    EXPECT_EQ(broken.driveRoots(), "");
    EXPECT_EQ(broken.driveType(names_[0]), drive_type::kUnknown);
    EXPECT_FALSE(broken.shellInfo(roots_[0], info));
}

TEST_F(LayerWithFakes, AnEmptyListIsClosedByItsNul) {
    options_.mountInfoPath = MountInfoFile(dir_ / "pseudo-only").add("0:20", "/", "/proc", "proc", "proc").write();
    LinuxVolumeLayer layer(options_);
    EXPECT_EQ(layer.driveRoots(), std::string(1, '\0'));
}

}  // namespace
}  // namespace corvath
