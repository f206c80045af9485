#include "run/unattended_run.h"

#include "engine/engine_error.h"
#include "support/fake_engine.h"
#include "support/fake_registry_store.h"
#include "support/fake_volume_layer.h"
#include "support/recording_file_manager.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace corvath;
using corvath::test::FakeVolumeLayer;
using corvath::test::FakeEngine;
using corvath::test::FakeRegistryStore;
using corvath::test::RecordingFileManager;

namespace {

// What the run's engines did; it outlives them, as the run destroys each.
struct EngineLog {
    int created = 0;
    std::vector<std::string> calls;
    std::string failOn;  // "AnalyzeDrive /d" makes that call throw
};

std::unique_ptr<AnalysisEngine> loggingEngine(EngineLog& log) {
    auto engine = std::make_unique<FakeEngine>(log.calls);
    engine->failing = log.failOn;
    engine->recordReads = false;
    return engine;
}

struct UnattendedRun : ::testing::Test {
    FakeRegistryStore store;
    FakeVolumeLayer volumes;
    RecordingFileManager fileManager;
    EngineLog engine;
    RunState state;
    std::ostringstream errors;

    void SetUp() override {
        state.unattended = true;
        store.createKey(kSettingsKey);
        volumes.add("/", drive_type::kFixed);
        volumes.add("/media/usb/", drive_type::kRemovable);
        volumes.add("/d/", drive_type::kFixed);
    }

    int run() {
        return runUnattended(state, store, volumes, fileManager,
                             [this] {
                                 ++engine.created;
                                 return loggingEngine(engine);
                             },
                             errors);
    }

    std::string stored(const std::string& name) {
        return store.text(kSettingsKey, name).value_or("<missing>");
    }
};

}  // namespace

TEST_F(UnattendedRun, WithNothingSavedAnalysesEveryFixedDriveAndRemembersThem) {
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(engine.created, 1);
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"AnalyzeDrive /", "FinishDrive", "AnalyzeDrive /d",
                                                      "FinishDrive"}));
    EXPECT_EQ(stored(kSelectedDrives), "/\t/d");
    EXPECT_TRUE(fileManager.opened.empty()) << "StartExplorer is missing";
    EXPECT_TRUE(errors.str().empty());
}

TEST_F(UnattendedRun, SavedSelectionIsAnalysedInMountOrderAndRewrittenWithoutVanishedDrives) {
    store.setText(kSettingsKey, kSelectedDrives, "/D\t/gone\t/media/usb");
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(state.driveSelection, (std::vector<std::string>{"/media/usb", "/d"}));
    EXPECT_EQ(stored(kSelectedDrives), "/media/usb\t/d");
    EXPECT_EQ(errors.str(), "corvath-analyzer: the saved drive /gone is not mounted; it is not analyzed\n");
}

TEST_F(UnattendedRun, NotRememberingNeitherReadsNorWritesTheSelection) {
    store.setText(kSettingsKey, kSaveAnalyzerSettings, "No");
    store.setText(kSettingsKey, kSelectedDrives, "/media/usb");
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(state.driveSelection, (std::vector<std::string>{"/", "/d"}));
    EXPECT_EQ(stored(kSelectedDrives), "/media/usb");
}

TEST_F(UnattendedRun, VanishedSavedDrivesAnalyseNothingAndChangeNothing) {
    store.setText(kSettingsKey, kSelectedDrives, "/gone\t\t/also-gone\t/GONE");
    EXPECT_EQ(run(), 1) << "a timer must see that nothing was analyzed";
    EXPECT_EQ(engine.created, 0) << "the engine is never created";
    EXPECT_EQ(stored(kSelectedDrives), "/gone\t\t/also-gone\t/GONE");
    EXPECT_TRUE(state.noDrivesSelected);
    EXPECT_EQ(errors.str(),
              "corvath-analyzer: the saved drive /gone is not mounted; it is not analyzed\n"
              "corvath-analyzer: the saved drive /also-gone is not mounted; it is not analyzed\n");
}

TEST_F(UnattendedRun, StartExplorerOpensTheFirstDriveOnceOnlyWhenItReadsOne) {
    struct Case {
        std::uint32_t type;
        std::string bytes;
        bool opens;
    };
    const std::string dwordOne("\x01\x00\x00\x00", 4);
    const std::string dwordZero("\x00\x00\x00\x00", 4);
    for (const Case& c : {Case{reg::kSz, "1", true}, Case{reg::kDword, dwordOne, true}, Case{reg::kSz, "01", false},
                          Case{reg::kDword, dwordZero, false}, Case{reg::kSz, "yes", false}}) {
        fileManager.opened.clear();
        store.put(kSettingsKey, kStartExplorer, c.type, c.bytes);
        EXPECT_EQ(run(), 0);
        EXPECT_EQ(fileManager.opened, c.opens ? std::vector<std::string>{"/"} : std::vector<std::string>{});
    }
}

TEST_F(UnattendedRun, AnEngineFailureEndsTheRunWithAnErrorAndNoFileManager) {
    store.setText(kSettingsKey, kStartExplorer, "1");
    engine.failOn = "AnalyzeDrive /";
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(engine.calls, std::vector<std::string>{"AnalyzeDrive /"}) << "later drives are not analysed";
    EXPECT_TRUE(fileManager.opened.empty());
    EXPECT_EQ(errors.str(), "corvath-analyzer: analysis of / failed: AnalyzeDrive failed: the drive went away\n");

    engine = EngineLog{};
    engine.failOn = "FinishDrive /d";
    errors.str("");
    EXPECT_EQ(run(), 1);
    EXPECT_NE(errors.str().find("analysis of /d failed"), std::string::npos);
}

TEST_F(UnattendedRun, WithoutTheSettingsKeyItStillAnalysesTheFixedDrives) {
    FakeRegistryStore noKey;
    EXPECT_EQ(runUnattended(state, noKey, volumes, fileManager,
                            [this] { return loggingEngine(engine); }, errors),
              0);
    EXPECT_EQ(state.driveSelection, (std::vector<std::string>{"/", "/d"}));
    EXPECT_FALSE(noKey.hasKey(kSettingsKey)) << "the key is never created";
}

TEST_F(UnattendedRun, ADriveWhoseNameHoldsATabIsAnalysedButNeverRemembered) {
    volumes.add("/media/a\tb/", drive_type::kFixed);
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(state.driveSelection, (std::vector<std::string>{"/", "/d", "/media/a\tb"}));
    EXPECT_EQ(stored(kSelectedDrives), "/\t/d");
    EXPECT_EQ(errors.str(), "corvath-analyzer: the drive /media/a\\tb is analyzed but not remembered: its name holds a "
                            "TAB, which separates the saved drives\n");
    // The next run reads back exactly the drives it stored, and still meets the other.
    errors.str("");
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(state.driveSelection, (std::vector<std::string>{"/", "/d"}));
    EXPECT_TRUE(errors.str().empty()) << errors.str();
}
