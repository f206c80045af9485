// corvath-bench-search [DATABASE]: the results layer's search of a whole scan
// and its list of every changed folder, on the latest scan of a database
// (default: corvath-bench-history's year.db, 52 weekly scans of a
// 303,031-folder tree). Prints the median of 7 runs of each after one untimed run.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "results/scan_reader.h"
#include "text/name_match.h"

namespace {

using namespace corvath;
using Clock = std::chrono::steady_clock;

double medianMs(const std::function<void()>& work) {
    work();
    std::vector<double> times;
    for (int i = 0; i < 7; ++i) {
        const auto start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const std::string database = argc > 1 ? argv[1] : "/var/tmp/corvath-bench-history/year.db";
    try {
        const ScanReader reader(database);
        const std::vector<StoredScan> scans = reader.scans();
        if (scans.size() < 2) {
            std::fprintf(stderr, "corvath-bench-search: %s holds fewer than two scans\n", database.c_str());
            return 1;
        }
        const StoredScan& latest = scans.back();
        const StoredScan& before = scans[scans.size() - 2];
        std::size_t walked = 0;
        const double walk = medianMs([&] { walked = reader.scanFolders(latest)->size(); });
        std::printf("scan %lld: %zu folders read in one pass in %.1f ms\n", static_cast<long long>(latest.id), walked,
                    walk);

        const ScanFolders kept = *reader.scanFolders(latest);
        for (const char* text : {"item", "GROUP-042", "area-007", "no-such-name"}) {
            const NameMatcher matcher(text);
            FolderMatches found;
            const double whole = medianMs([&] { found = reader.findFolders(latest, matcher, 500); });
            const double again = medianMs([&] { found = kept.find(matcher, 500); });
            std::printf("search \"%s\": %zu matches (%zu kept), %.1f ms from the database (target 300), "
                        "%.1f ms on the kept folders\n",
                        text, found.matched, found.folders.size(), whole, again);
        }

        std::size_t changed = 0;
        const double changes = medianMs([&] {
            changed = reader.changes(before, latest, latest.root, 1'000'000, Changed::InAnyWay).size();
        });
        std::printf("every folder changed since scan %lld: %zu in %.1f ms\n", static_cast<long long>(before.id),
                    changed, changes);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "corvath-bench-search: %s\n", error.what());
        return 1;
    }
    return 0;
}
