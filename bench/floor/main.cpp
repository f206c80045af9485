// corvath-bench-floor: the bare walk that sets the speed limit for corvath-scan.
//
//   corvath-bench-floor [-j THREADS] PATH
//
// Prints its totals in corvath-scan's format, so the benchmark script can read
// both the same way.
#include "floor/floor_walk.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    unsigned threads = 2;
    std::string root;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "-j" && i + 1 < argc) {
            char* end = nullptr;
            const unsigned long n = std::strtoul(argv[++i], &end, 10);
            if (*end != '\0' || n == 0 || n > 1024) {
                std::cerr << "corvath-bench-floor: -j needs a thread count from 1 to 1024\n";
                return 2;
            }
            threads = static_cast<unsigned>(n);
        } else if (root.empty() && !a.empty() && a[0] != '-') {
            root = a;
        } else {
            std::cerr << "usage: corvath-bench-floor [-j THREADS] PATH\n";
            return 2;
        }
    }
    if (root.empty()) {
        std::cerr << "usage: corvath-bench-floor [-j THREADS] PATH\n";
        return 2;
    }
    try {
        const auto start = std::chrono::steady_clock::now();
        const auto t = corvath::bench::floorWalk(root, threads);
        const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("allocated: %llu\napparent: %llu\nfiles: %llu\nfolders: %llu\nerrors: %llu\nseconds: %.3f\n",
                    static_cast<unsigned long long>(t.allocated), static_cast<unsigned long long>(t.apparent),
                    static_cast<unsigned long long>(t.files), static_cast<unsigned long long>(t.folders),
                    static_cast<unsigned long long>(t.errors), secs);
        return t.errors ? 1 : 0;
    } catch (const std::exception& e) {
        std::cerr << "corvath-bench-floor: " << e.what() << "\n";
        return 1;
    }
}
