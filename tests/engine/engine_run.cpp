#include "engine/engine_run.h"

#include "results/results_database.h"
#include "support/temp_dir.h"

namespace corvath::test {

void PollingPump::run() {
    ++runs_;
    std::unique_lock lock(mutex_);
    while (pending_ == 0) {
        if (onTick_) {
            lock.unlock();
            onTick_();
            lock.lock();
        }
        woken_.wait_for(lock, std::chrono::milliseconds(1), [&] { return pending_ > 0; });
    }
    --pending_;
}

void PollingPump::wake() {
    std::lock_guard lock(mutex_);
    ++pending_;
    woken_.notify_one();
}

WalkTotals scanTotals(const std::filesystem::path& root, unsigned threads) {
    TempDir data;
    WaitPump pump;
    ResultsDatabase results((data.path() / "scans.db").string());
    Scanner scanner(pump, results, ScannerOptions{threads});
    scanner.AnalyzeDrive(root.string());
    return scanner.totals();
}

}  // namespace corvath::test
