#include "app/unattended_run.h"

#include "engine/engine_error.h"
#include "settings/memory_registry_store.h"
#include "support/fake_volume_layer.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace corvath;
using corvath::test::FakeVolumeLayer;
using corvath::test::MemoryRegistryStore;

namespace {

struct EngineLog {
    int created = 0;
    std::vector<std::string> calls;
    std::string failOn; // "AnalyzeDrive /d" makes that call throw
};

class ScriptedEngine : public AnalysisEngine {
public:
    explicit ScriptedEngine(EngineLog& log) : log_(log) {}
    void FinishDrive() override { record("FinishDrive " + current_); }
    void AnalyzeDrive(const std::string& drive) override {
        current_ = drive;
        record("AnalyzeDrive " + drive);
    }
    std::string GetStatusText() override { return "/|"; }
    void CancelAnalysis() override { record("CancelAnalysis"); }
    std::string GetProcessedBytesText() override { return "0"; }

private:
    void record(const std::string& call) {
        log_.calls.push_back(call);
        if (call == log_.failOn) {
            throw EngineError("the disk went away");
        }
    }
    EngineLog& log_;
    std::string current_;
};

struct RecordingFileManager : FileManager {
    std::vector<std::string> opened;
    void open(const std::string& root) override { opened.push_back(root); }
};

struct UnattendedRun : ::testing::Test {
    MemoryRegistryStore store;
    FakeVolumeLayer volumes;
    RecordingFileManager fileManager;
    EngineLog engine;
    RunState state;
    std::ostringstream errors;

    void SetUp() override {
        state.unattended = true;
        store.addKey(kSettingsKey);
        volumes.add("/", drive_type::kFixed);
        volumes.add("/media/usb/", drive_type::kRemovable);
        volumes.add("/d/", drive_type::kFixed);
    }

    int run() {
        return runUnattended(state, store, volumes, fileManager,
                             [this] {
                                 ++engine.created;
                                 return std::make_unique<ScriptedEngine>(engine);
                             },
                             errors);
    }

    std::string stored(const std::string& name) {
        const auto& values = store.values(kSettingsKey);
        auto it = values.find(MemoryRegistryStore::fold(name));
        return it == values.end() ? "<missing>" : std::string(it->second.data.begin(), it->second.data.end());
    }
};

}  // namespace

TEST_F(UnattendedRun, WithNothingSavedAnalysesEveryFixedDriveAndRemembersThem) {
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(engine.created, 1);
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"AnalyzeDrive /", "FinishDrive /", "AnalyzeDrive /d",
                                                      "FinishDrive /d"}));
    EXPECT_EQ(stored(kSelectedDrives), "/\t/d");
    EXPECT_TRUE(fileManager.opened.empty()) << "StartExplorer is missing";
    EXPECT_TRUE(errors.str().empty());
}

TEST_F(UnattendedRun, SavedSelectionIsAnalysedInMountOrderAndRewrittenWithoutVanishedDrives) {
    store.putText(kSelectedDrives, "/D\t/gone\t/media/usb");
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(state.driveSelection, (std::vector<std::string>{"/media/usb", "/d"}));
    EXPECT_EQ(stored(kSelectedDrives), "/media/usb\t/d");
}

TEST_F(UnattendedRun, NotRememberingNeitherReadsNorWritesTheSelection) {
    store.putText(kSaveAnalyzerSettings, "No");
    store.putText(kSelectedDrives, "/media/usb");
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(state.driveSelection, (std::vector<std::string>{"/", "/d"}));
    EXPECT_EQ(stored(kSelectedDrives), "/media/usb");
}

TEST_F(UnattendedRun, VanishedSavedDrivesAnalyseNothingAndChangeNothing) {
    store.putText(kSelectedDrives, "/gone\t/also-gone");
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(engine.created, 0) << "the engine is never created";
    EXPECT_EQ(stored(kSelectedDrives), "/gone\t/also-gone");
    EXPECT_TRUE(state.noDrivesSelected);
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
    store.putText(kStartExplorer, "1");
    engine.failOn = "AnalyzeDrive /";
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(engine.calls, std::vector<std::string>{"AnalyzeDrive /"}) << "later drives are not analysed";
    EXPECT_TRUE(fileManager.opened.empty());
    EXPECT_EQ(errors.str(), "corvath-analyzer: analysis of / failed: the disk went away\n");

    engine = EngineLog{};
    engine.failOn = "FinishDrive /d";
    errors.str("");
    EXPECT_EQ(run(), 1);
    EXPECT_NE(errors.str().find("analysis of /d failed"), std::string::npos);
}

TEST_F(UnattendedRun, WithoutTheSettingsKeyItStillAnalysesTheFixedDrives) {
    MemoryRegistryStore noKey;
    EXPECT_EQ(runUnattended(state, noKey, volumes, fileManager,
                            [this] { return std::make_unique<ScriptedEngine>(engine); }, errors),
              0);
    EXPECT_EQ(state.driveSelection, (std::vector<std::string>{"/", "/d"}));
    EXPECT_FALSE(noKey.hasKey(kSettingsKey)) << "the key is never created";
}
