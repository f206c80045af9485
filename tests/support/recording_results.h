#pragma once

#include "engine/engine_error.h"
#include "engine/results_sink.h"

#include <string>
#include <vector>

namespace corvath::test {

// A results sink that keeps the records of the scans handed to it; with a
// refusal set, it cannot take any.
class RecordingResults : public ResultsSink {
public:
    void prepare() override {
        ++prepared;
        if (!refusal.empty()) throw EngineError(refusal);
    }
    void storeScan(const ScanRecord& record, const FolderTable&) override { stored.push_back(record); }
    std::vector<ScanRecord> stored;
    int prepared = 0;
    std::string refusal;
};

}  // namespace corvath::test
