#pragma once

#include "engine/analysis_engine.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace corvath::test {

// One moment inside AnalyzeDrive: what the engine reports, something that happens
// meanwhile (a click, the close box), then one timer tick if the timer runs.
struct EngineStep {
    std::string status;
    std::string bytes;
    std::function<void()> meanwhile;
};

// The engine for every test and the tick benchmark: a scripted engine that lets
// the caller's event loop run. AnalyzeDrive plays the drive's steps, delivering
// timer ticks as the window's loop would, and returns early once cancelled.
// Every call is recorded ("AnalyzeDrive /data", "FinishDrive", "GetStatusText").
class FakeEngine : public AnalysisEngine {
public:
    FakeEngine() = default;
    // Also records into `log`, which outlives the engine (a run destroys the
    // engines it makes).
    explicit FakeEngine(std::vector<std::string>& log) : log_(&log) {}

    void FinishDrive() override;
    void AnalyzeDrive(const std::string& drive) override;
    std::string GetStatusText() override;
    void CancelAnalysis() override;
    std::string GetProcessedBytesText() override;

    int count(const std::string& call) const;

    std::map<std::string, std::vector<EngineStep>> scripts;  // by drive
    std::function<void()> tick;                              // delivers one tick when the timer runs
    std::function<void()> duringFinish;                      // runs inside every FinishDrive
    std::function<void()> duringAnalysis;                    // runs inside every AnalyzeDrive, after its script
    // Answers the reads instead of the script, when set.
    std::function<std::string()> statusSource;
    std::function<std::string()> bytesSource;
    // Throws EngineError: an operation ("FinishDrive") or one drive's
    // ("FinishDrive /d": finishing that drive).
    std::string failing;
    std::vector<std::string> calls;
    bool recordReads = true;  // off where reads are too many to keep (a benchmark)
    bool cancelled = false;

private:
    void enter(const std::string& operation, const std::string& drive = {});
    std::vector<std::string>* log_ = nullptr;
    std::string drive_;
    std::string status_ = "/|0 files, 0 folders scanned";
    std::string bytes_ = "0";
};

}  // namespace corvath::test
