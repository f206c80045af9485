#pragma once

#include <string>

namespace corvath {

// The analysis engine as the front end drives it: one drive at a time, polled for
// progress while it works. Every operation reports a failure by throwing
// EngineError; the caller's handler ends there.
class AnalysisEngine {
public:
    virtual ~AnalysisEngine() = default;

    // Stores the results of the drive analysed last. Called once per completed drive.
    virtual void FinishDrive() = 0;
    // Analyses one drive ("/", "/home"; "C:" on Windows); lets the caller's events
    // run meanwhile and returns when the analysis is complete or has been cancelled.
    virtual void AnalyzeDrive(const std::string& drive) = 0;
    // "FOLDER/|N files, M folders scanned" ("FOLDER\|..." on Windows): field 0 is
    // the folder being scanned plus one trailing character that the caller drops.
    virtual std::string GetStatusText() = 0;
    // Asks a running analysis to stop; AnalyzeDrive then returns promptly.
    virtual void CancelAnalysis() = 0;
    // Bytes processed so far on the current drive, as decimal text.
    virtual std::string GetProcessedBytesText() = 0;
};

}  // namespace corvath
