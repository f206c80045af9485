// corvath-bench-cancel: how long AnalyzeDrive takes to return after CancelAnalysis.
//
//   corvath-bench-cancel [--rounds N] [--seed N] [--from-thread] [--cold] [-j THREADS] [PATH]
//
// One full scan first gives the scan's length; then each round starts a scan and
// cancels it at a random point of that length, from inside the event pump as the
// window's Cancel button does (or, with --from-thread, from another thread), and
// times CancelAnalysis to AnalyzeDrive's return. --cold drops the page cache
// before every scan (root).
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "cancel/cancelling_pump.h"
#include "engine/scanner.h"
#include "results/results_database.h"

namespace {

using corvath::bench::CancellingPump;
using Clock = CancellingPump::Clock;
using Ms = std::chrono::duration<double, std::milli>;

constexpr double kTargetWorstMs = 100;

struct Options {
    unsigned rounds = 20;
    std::uint64_t seed = 1;
    bool fromThread = false;
    bool cold = false;
    unsigned threads = 0;  // 0: the scanner's default
    std::string path = "/var/tmp/corvath-bench-tree";
};

unsigned long long number(const std::string& option, const char* text) {
    char* end = nullptr;
    const unsigned long long v = text ? std::strtoull(text, &end, 10) : 0;
    if (!text || *text == '\0' || *end != '\0' || text[0] == '-' || v == 0)
        throw std::invalid_argument(option + " needs a positive whole number");
    return v;
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (a == "--rounds") o.rounds = static_cast<unsigned>(std::min(number(a, value), 10000ULL)), ++i;
        else if (a == "--seed") o.seed = number(a, value), ++i;
        else if (a == "-j") o.threads = static_cast<unsigned>(std::min(number(a, value), 1024ULL)), ++i;
        else if (a == "--from-thread") o.fromThread = true;
        else if (a == "--cold") o.cold = true;
        else if (!a.empty() && a[0] == '-') throw std::invalid_argument("unknown option " + a);
        else o.path = a;
    }
    return o;
}

void dropCaches() {
    ::sync();
    std::ofstream f("/proc/sys/vm/drop_caches");
    if (!(f << "3\n" << std::flush)) throw std::runtime_error("cannot drop the page cache (needs root)");
}

struct Round {
    double pointMs = 0;
    double latencyMs = 0;
    bool completedFirst = false;
    std::uint64_t entries = 0;
};

// One scan on a fresh scanner; cancelled at `after` from start unless it is empty.
Round scanOnce(const Options& o, const std::string& database, std::optional<Clock::duration> after) {
    CancellingPump pump;
    corvath::ScannerOptions so;
    if (o.threads) so.threads = o.threads;
    corvath::ResultsDatabase results(database);
    corvath::Scanner scanner(pump, results, so);
    if (o.cold) dropCaches();

    const auto start = Clock::now();
    std::optional<Clock::time_point> at;
    if (after) at = start + *after;
    std::optional<Clock::time_point> cancelledAt;
    std::jthread canceller;
    if (o.fromThread && at) {
        pump.arm(std::nullopt, {});
        canceller = std::jthread([&, when = *at] {
            std::this_thread::sleep_until(when);
            cancelledAt = Clock::now();
            scanner.CancelAnalysis();
        });
    } else {
        pump.arm(at, [&] { scanner.CancelAnalysis(); });
    }
    scanner.AnalyzeDrive(o.path);
    const auto returned = Clock::now();
    if (canceller.joinable()) canceller.join();
    if (!o.fromThread) cancelledAt = pump.cancelledAt();

    Round r;
    const auto t = scanner.totals();
    r.entries = t.files + t.folders;
    if (!after) {
        r.latencyMs = Ms(returned - start).count();
        return r;
    }
    r.pointMs = Ms(*at - start).count();
    r.completedFirst = !cancelledAt || *cancelledAt > returned;
    if (!r.completedFirst) r.latencyMs = Ms(returned - *cancelledAt).count();
    return r;
}

int run(const Options& o) {
    char dir[] = "/tmp/corvath-bench-cancel-XXXXXX";
    if (!::mkdtemp(dir)) throw std::runtime_error("cannot make a temporary folder");
    const std::string database = std::string(dir) + "/scans.db";  // never written: nothing is finished

    const Round full = scanOnce(o, database, std::nullopt);
    std::printf("full scan: %.0f ms, %llu entries\n", full.latencyMs, static_cast<unsigned long long>(full.entries));

    std::mt19937_64 rng(o.seed);
    std::vector<double> latencies;
    unsigned completedFirst = 0;
    for (unsigned i = 0; latencies.size() < o.rounds && i < o.rounds * 2; ++i) {
        const double share = 0.02 + 0.96 * static_cast<double>(rng() >> 11) * 0x1.0p-53;
        const auto after = std::chrono::duration_cast<Clock::duration>(Ms(full.latencyMs * share));
        const Round r = scanOnce(o, database, after);
        if (r.completedFirst) {
            ++completedFirst;
            std::printf("  cancel at %6.0f ms: the scan had already completed\n", r.pointMs);
            continue;
        }
        latencies.push_back(r.latencyMs);
        std::printf("  cancel at %6.0f ms (%8llu entries): returned after %6.2f ms\n", r.pointMs,
                    static_cast<unsigned long long>(r.entries), r.latencyMs);
    }
    ::unlink(database.c_str());
    ::rmdir(dir);
    if (latencies.empty()) throw std::runtime_error("every scan completed before its cancel");

    std::sort(latencies.begin(), latencies.end());
    const double median = latencies.size() % 2 ? latencies[latencies.size() / 2]
                                               : (latencies[latencies.size() / 2 - 1] + latencies[latencies.size() / 2]) / 2;
    const double worst = latencies.back();
    std::printf("cancel from %s%s: %zu cancels, median %.2f ms, worst %.2f ms (target worst <= %.0f ms)%s\n",
                o.fromThread ? "another thread" : "inside the pump", o.cold ? ", cold cache" : "", latencies.size(),
                median, worst, kTargetWorstMs, completedFirst ? " (some scans completed first)" : "");
    std::printf("%s\n", worst <= kTargetWorstMs ? "PASS" : "MISS");
    return worst <= kTargetWorstMs ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(parse(argc, argv));
    } catch (const std::exception& e) {
        std::cerr << "corvath-bench-cancel: " << e.what() << "\n";
    }
    return 1;
}
