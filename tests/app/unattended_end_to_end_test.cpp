// corvath-analyzer -auto as a timer runs it: no display, real mounts, the real
// store, engine and results database, and a stand-in for xdg-open.

#include "app/unattended_fixture.h"
#include "support/hanging_filesystem.h"

#include <unistd.h>

#include <optional>

using namespace std::chrono_literals;
using namespace corvath::test;

TEST_F(UnattendedEndToEnd, AnalysesTheSavedDrivesInMountOrderStoresThemAndOpensTheFirst) {
    const fs::path first = mountTree("first", 40);
    const fs::path unsaved = mountTree("unsaved", 3);
    const fs::path third = mountTree("third", 70);
    (void)unsaved;
    // Saved in another order and case; mount-table order wins.
    std::string upperThird = third.string();
    upperThird.replace(upperThird.size() - 5, 5, "THIRD");
    ASSERT_EQ(reg({"add", "HKCU\\Software\\Tamsel", "/v", "SelectedDrives", "/d", upperThird + "\t" + first.string(),
                   "/f"})
                  .status,
              0);
    ASSERT_EQ(reg({"add", "HKCU\\Software\\Tamsel", "/v", "StartExplorer", "/t", "REG_DWORD", "/d", "1", "/f"}).status,
              0);

    const ProgramRun run = analyzeUnattended();
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");

    const std::vector<ScanRow> scans = scansIn(home / "data" / "corvath" / "scans.db");
    ASSERT_EQ(scans.size(), 2u);
    EXPECT_EQ(scans[0].drive, first.string());
    EXPECT_EQ(scans[1].drive, third.string());
    EXPECT_EQ(scans[0].allocated, duBytes(first));
    EXPECT_EQ(scans[1].allocated, duBytes(third));
    EXPECT_EQ(scans[1].files, 70);
    EXPECT_EQ(scans[1].folders, 4);

    const ProgramRun query = reg({"query", "HKCU\\Software\\Tamsel", "/v", "SelectedDrives"});
    EXPECT_NE(query.out.find("REG_SZ    " + first.string() + "\t" + third.string() + "\n"), std::string::npos)
        << query.out;
    EXPECT_EQ(xdgOpenCalls(), first.string() + "/\n");
}

TEST_F(UnattendedEndToEnd, VanishedSavedDrivesAnalyseNothingAndLeaveTheStoreAsItWas) {
    const fs::path gone = mounts / "gone";
    ASSERT_EQ(reg({"add", "HKCU\\Software\\Tamsel", "/v", "SelectedDrives", "/d", gone.string(), "/f"}).status, 0);
    ASSERT_EQ(reg({"add", "HKCU\\Software\\Tamsel", "/v", "StartExplorer", "/d", "1", "/f"}).status, 0);
    const std::string storeBefore = corvath::test::readFile(home / "config" / "corvath" / "registry.db");

    const ProgramRun run = analyzeUnattended();
    EXPECT_EQ(run.status, 1) << "a timer must not show success while nothing is analyzed";
    EXPECT_EQ(run.err, "corvath-analyzer: the saved drive " + gone.string() + " is not mounted; it is not analyzed\n");
    EXPECT_TRUE(scansIn(home / "data" / "corvath" / "scans.db").empty());
    EXPECT_EQ(corvath::test::readFile(home / "config" / "corvath" / "registry.db"), storeBefore);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(fs::exists(calls)) << "nothing analysed, so no file manager";
}

TEST_F(UnattendedEndToEnd, LongSelectionSurvivesASaveARestartAndTheRun) {
    // Mount points this long are rare, but a few ordinary ones add up to the same.
    std::vector<fs::path> drives;
    std::string selection;
    for (const char* name : {"one", "two", "three"}) {
        const fs::path drive = mountTree(std::string(240, 'a') + "/" + std::string(240, 'b') + "/" + name, 4);
        selection += (selection.empty() ? "" : "\t") + drive.string();
        drives.push_back(drive);
    }
    ASSERT_GE(selection.size(), 1500u);
    ASSERT_EQ(reg({"add", "HKCU\\Software\\Tamsel", "/v", "SelectedDrives", "/d", selection, "/f"}).status, 0);

    // Each run stores the selection again; the second reads what the first stored.
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        const ProgramRun analysed = analyzeUnattended();
        ASSERT_EQ(analysed.status, 0) << analysed.err;
        const std::vector<ScanRow> scans = scansIn(home / "data" / "corvath" / "scans.db");
        ASSERT_EQ(scans.size(), 3u * static_cast<std::size_t>(run));
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(scans[scans.size() - 3 + i].drive, drives[i].string());
        }
        const ProgramRun query = reg({"query", "HKCU\\Software\\Tamsel", "/v", "SelectedDrives"});
        EXPECT_NE(query.out.find("REG_SZ    " + selection + "\n"), std::string::npos);
    }
}

TEST_F(UnattendedEndToEnd, ReadOnlyStoreKeepsTheSelection) {
    const fs::path drive = mountTree("saved", 5);
    ASSERT_EQ(reg({"add", "HKCU\\Software\\Tamsel", "/v", "SelectedDrives", "/d", drive.string(), "/f"}).status, 0);
    const fs::path folder = home / "config" / "corvath";
    const std::string storeBefore = corvath::test::readFile(folder / "registry.db");
    corvath::test::mountBind(folder.string(), folder.string());
    mounted.push_back(folder);
    ASSERT_EQ(::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr), 0);

    const ProgramRun run = analyzeUnattended();
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::vector<ScanRow> scans = scansIn(home / "data" / "corvath" / "scans.db");
    ASSERT_EQ(scans.size(), 1u);
    EXPECT_EQ(scans[0].drive, drive.string());
    EXPECT_EQ(corvath::test::readFile(folder / "registry.db"), storeBefore);
}

#ifdef CORVATH_FUSE_HANG
// A filesystem whose daemon never answers, as a hung network drive: the run
// must end on time whether or not it was asked to analyze it. However the run
// goes, the filesystem is stopped at the end, which frees any stuck thread.
class UnattendedWithAHungDrive : public UnattendedEndToEnd {
protected:
    void SetUp() override {
        UnattendedEndToEnd::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        if (::access("/dev/fuse", R_OK | W_OK) != 0) GTEST_SKIP() << "no /dev/fuse";
        drive = mountTree("drive", 5);
        hung.emplace(CORVATH_FUSE_HANG, hungPoint);
        ASSERT_TRUE(hung->mounted()) << "the FUSE filesystem did not mount";
    }
    void TearDown() override {
        hung.reset();
        UnattendedEndToEnd::TearDown();
    }

    // The run, timed; one that has not ended after limit is killed.
    ProgramRun analyzeTimed(std::chrono::milliseconds limit, std::chrono::milliseconds& took,
                            const char* program = CORVATH_ANALYZER_PATH) const {
        const auto start = std::chrono::steady_clock::now();
        ProgramRun run = runProgram({program, "-auto"}, environment(), limit);
        took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        return run;
    }

    fs::path drive;
    fs::path hungPoint = mounts / "hung";
    std::optional<corvath::test::HangingFilesystem> hung;
};

TEST_F(UnattendedWithAHungDrive, ADriveNotSelectedIsNeverWaitedOn) {
    selectDrives(drive.string());
    std::chrono::milliseconds took{};
    const ProgramRun run = analyzeTimed(20s, took);
    ASSERT_FALSE(run.timedOut) << "the run did not end";
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_LT(took, 5s) << "the scan of a small tmpfs takes milliseconds";
    const std::vector<ScanRow> scans = scansIn(home / "data" / "corvath" / "scans.db");
    ASSERT_EQ(scans.size(), 1u);
    EXPECT_EQ(scans[0].drive, drive.string());
    EXPECT_EQ(scans[0].files, 5);
}

TEST_F(UnattendedWithAHungDrive, ASelectedDriveThatStopsAnsweringFailsTheRunWithinTheLimit) {
    selectDrives(drive.string() + "\t" + hungPoint.string());
    constexpr auto kLimit = 1500ms;  // the short-stall build's
    std::chrono::milliseconds took{};
    const ProgramRun run = analyzeTimed(kLimit + 15s, took, CORVATH_SHORT_STALL_ANALYZER_PATH);
    ASSERT_FALSE(run.timedOut) << "the run did not end";
    EXPECT_EQ(run.status, 1);
    EXPECT_GE(took, kLimit);
    EXPECT_LT(took, kLimit + 5s);
    // One line, naming the drive.
    ASSERT_FALSE(run.err.empty());
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_NE(run.err.find("analysis of " + hungPoint.string() + " failed"), std::string::npos) << run.err;
    // The drive before it was analysed and stored all the same.
    const std::vector<ScanRow> scans = scansIn(home / "data" / "corvath" / "scans.db");
    ASSERT_EQ(scans.size(), 1u);
    EXPECT_EQ(scans[0].drive, drive.string());
}
#endif
