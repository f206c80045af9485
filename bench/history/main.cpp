// The scans database's figures: the size and storing time of one scan of a
// 300,000-folder tree, a 20,000-deep chain, a year of weekly scans with 1 % of
// the folders changed each week, and the reads that users wait for (a folder's
// children, corvath-report top and diff), and the peak memory of
// corvath-report on chains 5,000 to 20,000 folders deep.
//
// The scans are the engine's own result type (FolderTable) made in memory, so
// that the figures measure the database alone; the tree's shape is that of a
// real one: 30 × 100 × 100 folders with short names, a few files in each.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engine/folder_table.h"
#include "engine/results_sink.h"
#include "results/results_database.h"
#include "results/scan_reader.h"

namespace {

using namespace corvath;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::uint64_t mix(std::uint64_t x) {
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    return x;
}

struct Tree {
    std::vector<std::uint64_t> extra;  // bytes added to each leaf by the weeks so far
};

constexpr int kTop = 30, kMiddle = 100, kLeaves = 100;

void fill(FolderTable& table, std::uint32_t parent, const char* prefix, int count, std::vector<std::uint32_t>& made) {
    char name[32];
    for (int i = 0; i < count; ++i) {
        const std::uint32_t index = table.append();
        FolderNode& node = table[index];
        node.parent = parent;
        std::snprintf(name, sizeof name, "%s-%03d", prefix, i);
        node.name = name;
        node.allocated = node.ownAllocated = 4096;
        node.apparent = node.ownApparent = 4096;
        made.push_back(index);
    }
}

// Fills table with the tree as it is after `extra`; returns the scan's record.
ScanRecord makeScan(FolderTable& table, const Tree& tree, std::chrono::system_clock::time_point finished) {
    const std::uint32_t root = table.append();
    table[root].name = "/bench";
    table[root].allocated = table[root].apparent = 4096;
    std::vector<std::uint32_t> tops, middles, leaves;
    fill(table, root, "area", kTop, tops);
    for (const std::uint32_t top : tops) fill(table, top, "group", kMiddle, middles);
    for (const std::uint32_t middle : middles) fill(table, middle, "item", kLeaves, leaves);
    for (std::size_t i = 0; i < leaves.size(); ++i) {
        FolderNode& leaf = table[leaves[i]];
        const std::uint64_t h = mix(i + 1);
        leaf.files = h % 47;
        leaf.allocated += 4096 * (h % 61) + tree.extra[i];
        leaf.apparent += 4096 * (h % 61) - (h % 61 ? h % 4000 : 0) + tree.extra[i];
    }
    for (std::uint32_t i = 1; i < table.size(); ++i) ++table[table[i].parent].folders;
    table.sumUp();
    ScanRecord record;
    record.drive = "/bench/";
    record.rootPath = "/bench";
    record.finished = finished;
    record.started = finished - std::chrono::seconds(3);
    record.totals = {table[0].allocated, table[0].apparent, table[0].files, table[0].folders + 1, 0};
    return record;
}

// 1 % of the leaves grow, a different 1 % each week.
void changeOnePercent(Tree& tree, int week) {
    for (std::size_t k = 0; k < tree.extra.size() / 100; ++k) {
        tree.extra[mix(static_cast<std::uint64_t>(week) * 1000003 + k) % tree.extra.size()] += 4096;
    }
}

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double store(const std::string& database, const ScanRecord& record, const FolderTable& table, RetentionRule rule) {
    ResultsDatabase results(database, rule);
    const auto start = Clock::now();
    results.storeScan(record, table);
    return secondsSince(start);
}

double megabytes(const std::string& file) { return static_cast<double>(fs::file_size(file)) / 1e6; }

double medianSeconds(int rounds, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        work();
        times.push_back(secondsSince(start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void runQuiet(const std::string& command) {
    if (std::system((command + " >/dev/null").c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
}

// Peak resident memory of a command, in MB, its output thrown away.
double peakMegabytes(const std::vector<std::string>& argv) {
    std::fflush(stdout);  // or the child writes it once more
    const pid_t child = ::fork();
    if (child == 0) {
        std::freopen("/dev/null", "w", stdout);
        std::vector<char*> args;
        for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "failed: %s\n", argv.at(3).c_str());
        std::exit(1);
    }
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// A chain of `depth` folders, scanned twice; in the second the deepest folder
// has grown, so that every folder of the chain changed.
void storeChain(const std::string& database, std::uint32_t depth, std::chrono::system_clock::time_point now) {
    for (int scan = 0; scan < 2; ++scan) {
        FolderTable table;
        table.append();
        table[0].name = "/chain";
        for (std::uint32_t i = 1; i <= depth; ++i) {
            const std::uint32_t index = table.append();
            table[index].parent = index - 1;
            table[index].name = "a";
            table[index].allocated = table[index].ownAllocated = 4096 + (i == depth && scan == 1 ? 8192 : 0);
        }
        for (std::uint32_t i = 1; i < table.size(); ++i) ++table[table[i].parent].folders;
        table.sumUp();
        const auto finished = now - std::chrono::hours(2 - scan);
        ScanRecord record{"/chain/", "/chain", finished, finished, {table[0].allocated, 0, 0, depth + 1, 0}, {}, {}};
        store(database, record, table, {});
    }
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path folder = argc > 1 ? argv[1] : "/var/tmp/corvath-bench-history";
    const std::string report = argc > 2 ? argv[2] : "build/tools/corvath-report/corvath-report";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const auto now = std::chrono::system_clock::now();
    const RetentionRule keepAll{1000, 1000};
    // Memory on deep chains: it must grow with the depth, not its square. First,
    // while this process is small: a forked child's peak counts what it had
    // of its parent's before it started the command.
    for (const std::uint32_t depth : {5000u, 10000u, 20000u}) {
        const std::string chain = (folder / ("chain-" + std::to_string(depth) + ".db")).string();
        storeChain(chain, depth, now);
        const double exported = peakMegabytes({report, "--database", chain, "export", "--ncdu", "--scan", "2", "-"});
        const double ranked = peakMegabytes({report, "--database", chain, "top", "-n", "100000"});
        const double changed = peakMegabytes({report, "--database", chain, "diff", "-n", "5"});
        std::printf("%u-deep chain, peak memory: export %.0f MB, top -n 100000 %.0f MB, diff -n 5 %.0f MB "
                    "(target 64 each)\n",
                    depth, exported, ranked, changed);
    }
    Tree tree{std::vector<std::uint64_t>(static_cast<std::size_t>(kTop) * kMiddle * kLeaves, 0)};

    // One scan, then the same tree again with 1 % changed.
    const std::string one = (folder / "one.db").string();
    double firstStore = 0, rescanStore = 0;
    std::uint32_t folders = 0;
    {
        FolderTable table;
        const ScanRecord record = makeScan(table, tree, now);
        folders = table.size();
        firstStore = store(one, record, table, {});
    }
    const double oneScan = megabytes(one);
    {
        Tree changed = tree;
        changeOnePercent(changed, 1);
        FolderTable table;
        rescanStore = store(one, makeScan(table, changed, now), table, {});
    }
    std::printf("one scan of %u folders: %.2f MB (target 12), stored in %.3f s (target 0.5); "
                "a rescan with 1 %% changed stored in %.3f s, file then %.2f MB\n",
                folders, oneScan, firstStore, rescanStore, megabytes(one));

    // The 20,000-deep chain of one-letter folders.
    {
        const std::string chain = (folder / "chain.db").string();
        FolderTable table;
        table.append();
        table[0].name = "/chain";
        for (std::uint32_t i = 1; i <= 20000; ++i) {
            const std::uint32_t index = table.append();
            table[index].parent = index - 1;
            table[index].name = "a";
            table[index].allocated = table[index].ownAllocated = 4096;
        }
        for (std::uint32_t i = 1; i < table.size(); ++i) ++table[table[i].parent].folders;
        table.sumUp();
        ScanRecord record{"/chain/", "/chain", now, now, {table[0].allocated, 0, 0, 20001, 0}, {}, {}};
        const double seconds = store(chain, record, table, {});
        std::printf("20,000-deep chain: %.3f MB (target 2), stored in %.3f s\n", megabytes(chain), seconds);
    }

    // A year of weekly scans, every one kept, then as the retention rule keeps them.
    const std::string year = (folder / "year.db").string();
    const std::string kept = (folder / "kept.db").string();
    double slowest = 0;
    for (int week = 0; week < 52; ++week) {
        if (week > 0) changeOnePercent(tree, week + 100);
        const auto finished = now - std::chrono::hours(24 * 7 * (51 - week));
        FolderTable table;
        const ScanRecord record = makeScan(table, tree, finished);
        slowest = std::max(slowest, store(year, record, table, keepAll));
        store(kept, record, table, {});
    }
    const auto keptScans = ScanReader(kept).scans().size();
    std::printf("52 weekly scans, 1 %% changed each week: %.2f MB = %.2f x one scan (target 3), slowest store %.3f s;"
                " as the retention rule keeps them: %zu scans, %.2f MB = %.2f x\n",
                megabytes(year), megabytes(year) / oneScan, slowest, keptScans, megabytes(kept),
                megabytes(kept) / oneScan);

    // Reads, median of 5.
    const double children = medianSeconds(5, [&] {
        ScanReader reader(year);
        const auto latest = reader.latestScans();
        reader.children(latest.at(0).top);
    });
    const double top = medianSeconds(5, [&] { runQuiet(report + " --database " + year + " top -n 20"); });
    const double diff = medianSeconds(5, [&] { runQuiet(report + " --database " + year + " diff"); });
    std::printf("open and read the root's children: %.1f ms (target 20); corvath-report top -n 20: %.0f ms "
                "(target 300); diff of the last two scans: %.0f ms (target 300)\n",
                children * 1000, top * 1000, diff * 1000);

    return 0;
}
