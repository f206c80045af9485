#pragma once

#include "engine/results_sink.h"
#include <vector>

namespace corvath::test {

// A results sink that keeps the records of the scans handed to it.
class RecordingResults : public ResultsSink {
public:
    void prepare() override {}
    void storeScan(const ScanRecord& record, const FolderTable&) override { stored.push_back(record); }
    std::vector<ScanRecord> stored;
};

}  // namespace corvath::test
