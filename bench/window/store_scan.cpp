// corvath-bench-store-scan DATABASE PATH...: scans each PATH with the engine and
// stores the scan in DATABASE, as the wizard and the unattended run do; prints
// the time each store took.
#include "engine/event_pump.h"
#include "engine/scanner.h"
#include "results/results_database.h"

#include <chrono>
#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: corvath-bench-store-scan DATABASE PATH...\n";
        return 2;
    }
    try {
        corvath::WaitPump pump;
        corvath::ResultsDatabase results(argv[1]);
        corvath::Scanner scanner(pump, results);
        for (int i = 2; i < argc; ++i) {
            const auto start = std::chrono::steady_clock::now();
            scanner.AnalyzeDrive(argv[i]);
            const auto scanned = std::chrono::steady_clock::now();
            scanner.FinishDrive();
            const auto stored = std::chrono::steady_clock::now();
            const auto ms = [](auto a, auto b) { return std::chrono::duration<double, std::milli>(b - a).count(); };
            std::cout << argv[i] << ": scanned in " << ms(start, scanned) << " ms, stored in " << ms(scanned, stored)
                      << " ms\n";
        }
    } catch (const std::exception& error) {
        std::cerr << "corvath-bench-store-scan: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
