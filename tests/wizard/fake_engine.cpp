#include "wizard/fake_engine.h"

#include "engine/engine_error.h"

#include <algorithm>

namespace corvath::test {

void FakeEngine::enter(const std::string& call) {
    calls.push_back(call);
    const std::string operation = call.substr(0, call.find(' '));
    if (operation == failing) {
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
    enter("AnalyzeDrive " + drive);
    cancelled = false;
    const auto script = scripts.find(drive);
    if (script == scripts.end()) {
        return;
    }
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

std::string FakeEngine::GetStatusText() {
    enter("GetStatusText");
    return status_;
}

void FakeEngine::CancelAnalysis() {
    enter("CancelAnalysis");
    cancelled = true;
}

std::string FakeEngine::GetProcessedBytesText() {
    enter("GetProcessedBytesText");
    return bytes_;
}

int FakeEngine::count(const std::string& call) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

}  // namespace corvath::test
