#pragma once

#include "app/file_manager.h"
#include "drives/volume_layer.h"
#include "engine/analysis_engine.h"
#include "settings/registry_store.h"

#include <cstdint>
#include <functional>
#include <string>

namespace corvath::bench {

// No settings key: every setting takes its default.
class NoSettings : public RegistryStore {
public:
    std::unique_ptr<RegistryKey> openKey(Hive, std::string_view, std::uint32_t) override { return nullptr; }
};

// One readable fixed drive, so that start-up ticks it and Next runs it.
class OneDrive : public VolumeLayer {
public:
    static constexpr const char* kName = "/bench";
    std::string driveRoots() override;
    bool shellInfo(const std::string& root, ShellInfo& info) override;
    int driveType(const std::string& driveName) override;
    ProbeOutcome probe(const std::string& root) override;
    bool diskSpace(const std::string& driveName, DiskSpace& space) override;
};

class NoFileManager : public FileManager {
public:
    void open(const std::string&) override {}
};

// An engine whose reads answer at once with a 250-character folder and a byte
// count that grows with every read; AnalyzeDrive hands control to `during`,
// which plays the part of the window's event loop.
class InstantEngine : public AnalysisEngine {
public:
    static constexpr std::uint64_t kUsedBytes = 500'000'000'000;

    InstantEngine();
    void FinishDrive() override {}
    void AnalyzeDrive(const std::string&) override;
    std::string GetStatusText() override;
    void CancelAnalysis() override {}
    std::string GetProcessedBytesText() override;

    std::function<void()> during;
    const std::string& folder() const { return folder_; }

private:
    std::string folder_;
    std::uint64_t reads_ = 0;
};

}  // namespace corvath::bench
