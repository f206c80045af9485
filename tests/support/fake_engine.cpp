#include "support/fake_engine.h"

#include "engine/engine_error.h"

#include <algorithm>

namespace corvath::test {

void FakeEngine::enter(const std::string& operation, const std::string& drive) {
    const std::string call = drive.empty() ? operation : operation + " " + drive;
    const bool read = operation == "GetStatusText" || operation == "GetProcessedBytesText";
    if (!read || recordReads) {
        calls.push_back(call);
        if (log_ != nullptr) log_->push_back(call);
    }
    if (operation == failing || call == failing || (operation + " " + drive_) == failing) {
        throw EngineError(operation + " failed: the drive went away");
    }
}

void FakeEngine::FinishDrive() {
    enter("FinishDrive");
    if (duringFinish) {
        duringFinish();
    }
}

void FakeEngine::AnalyzeDrive(const std::string& drive) {
    drive_ = drive;
    enter("AnalyzeDrive", drive);
    cancelled = false;
    if (const auto script = scripts.find(drive); script != scripts.end()) {
        for (const EngineStep& step : script->second) {
            status_ = step.status;
            bytes_ = step.bytes;
            if (step.meanwhile) {
                step.meanwhile();
            }
            if (cancelled) {
                return;
            }
            if (tick) {
                tick();
            }
        }
    }
    if (duringAnalysis) {
        duringAnalysis();
    }
}

std::string FakeEngine::GetStatusText() {
    enter("GetStatusText");
    return statusSource ? statusSource() : status_;
}

void FakeEngine::CancelAnalysis() {
    enter("CancelAnalysis");
    cancelled = true;
}

std::string FakeEngine::GetProcessedBytesText() {
    enter("GetProcessedBytesText");
    return bytesSource ? bytesSource() : bytes_;
}

int FakeEngine::count(const std::string& call) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

}  // namespace corvath::test
