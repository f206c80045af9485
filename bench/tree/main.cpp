// corvath-bench-tree: creates the synthetic tree the scan benchmarks walk.
//
//   corvath-bench-tree [--seed N] [--files N] [--folders N] [--deep N] [PATH]
//
// The same parameters give the same tree. A tree already at PATH with the same
// parameters is kept; one made with other parameters is replaced. A PATH that this
// program did not make is never touched.
#include "tree/ensure_tree.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <string>

namespace {

using corvath::bench::TreeParameters;

constexpr const char* kDefaultPath = "/var/tmp/corvath-bench-tree";

std::uint64_t number(const char* option, const char* text, std::uint64_t max) {
    char* end = nullptr;
    errno = 0;
    const unsigned long long v = text ? std::strtoull(text, &end, 10) : 0;
    if (!text || *text == '\0' || *end != '\0' || errno != 0 || v > max || text[0] == '-')
        throw std::invalid_argument(std::string(option) + " needs a whole number up to " + std::to_string(max) +
                                    (text ? std::string(", not \"") + text + "\"" : std::string()));
    return v;
}

int run(int argc, char** argv) {
    TreeParameters params;
    std::string path = kDefaultPath;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (a == "--seed") params.seed = number("--seed", value, UINT64_MAX), ++i;
        else if (a == "--files") params.files = static_cast<std::uint32_t>(number("--files", value, 100'000'000)), ++i;
        else if (a == "--folders") params.folders = static_cast<std::uint32_t>(number("--folders", value, 10'000'000)), ++i;
        else if (a == "--deep") params.deepChain = static_cast<std::uint32_t>(number("--deep", value, 10'000)), ++i;
        else if (a == "-h" || a == "--help") {
            std::cout << "usage: corvath-bench-tree [--seed N] [--files N] [--folders N] [--deep N] [PATH]\n"
                         "default: --seed 1 --files 1000000 --folders 50000 --deep 600 " << kDefaultPath << "\n";
            return 0;
        } else if (!a.empty() && a[0] == '-') throw std::invalid_argument("unknown option " + a);
        else path = a;
    }
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    if (params.folders == 0) throw std::invalid_argument("--folders must be at least 1");

    const auto start = std::chrono::steady_clock::now();
    const auto outcome = corvath::bench::ensureTree(params, path, std::cout);
    if (!outcome.created) {
        const std::string text = params.describe();
        std::cout << path << " is up to date (" << text.substr(0, text.size() - 1) << ")\n";
        return 0;
    }
    const auto& totals = outcome.totals;
    const auto made = std::chrono::steady_clock::now();
    // Dirty metadata being written back skews the first measurements.
    ::sync();
    const auto synced = std::chrono::steady_clock::now();
    const auto secs = [](auto a, auto b) { return std::chrono::duration<double>(b - a).count(); };

    std::cout << "created " << path << ": " << totals.folders << " folders, " << totals.regular
              << " regular files (" << totals.sparse << " sparse), " << totals.hardLinks << " hard links, "
              << totals.symlinks << " symlinks, " << totals.dataBytes << " bytes of data; "
              << secs(start, made) << " s, sync " << secs(made, synced) << " s\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "corvath-bench-tree: " << e.what() << "\n";
        return 1;
    }
}
