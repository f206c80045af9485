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

// A scripted engine that lets the caller's event loop run: AnalyzeDrive plays the
// drive's steps, delivering timer ticks as the window's loop would, and returns
// early once cancelled.
class FakeEngine : public AnalysisEngine {
public:
    void FinishDrive() override;
    void AnalyzeDrive(const std::string& drive) override;
    std::string GetStatusText() override;
    void CancelAnalysis() override;
    std::string GetProcessedBytesText() override;

    int count(const std::string& call) const;

    std::map<std::string, std::vector<EngineStep>> scripts;  // by drive
    std::function<void()> tick;                              // delivers one tick when the timer runs
    std::function<void()> duringFinish;                      // runs inside every FinishDrive
    std::string failing;                                     // the operation that throws EngineError
    std::vector<std::string> calls;                          // "AnalyzeDrive /data", "FinishDrive", ...
    bool cancelled = false;

private:
    void enter(const std::string& call);
    std::string status_ = "/|0 files, 0 folders scanned";
    std::string bytes_ = "0";
};

}  // namespace corvath::test
