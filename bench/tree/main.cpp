// corvath-bench-tree: creates the synthetic tree the scan benchmarks walk.
//
//   corvath-bench-tree [--seed N] [--files N] [--folders N] [--deep N] [PATH]
//
// The same parameters give the same tree. A tree already at PATH with the same
// parameters is kept; one made with other parameters is replaced. A PATH that this
// program did not make is never touched.
#include "tree/tree_plan.h"
#include "tree/tree_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>

namespace {

using corvath::bench::TreeParameters;

constexpr const char* kStamp = ".corvath-bench-stamp";
constexpr const char* kIncomplete = "corvath-bench-tree incomplete\n";
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

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string readStamp(const std::string& tree) {
    std::ifstream in(tree + "/" + kStamp);
    if (!in) return {};
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeStamp(const std::string& tree, const std::string& text) {
    std::ofstream out(tree + "/" + kStamp, std::ios::trunc);
    out << text;
    if (!out.flush()) throw std::runtime_error("cannot write the stamp in " + tree);
}

void removeOurs(const std::string& path) {
    std::cout << "removing " << path << "\n" << std::flush;
    corvath::bench::removeTree(AT_FDCWD, path.c_str());
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

    const std::string wanted = params.describe();
    if (exists(path)) {
        const std::string stamp = readStamp(path);
        if (stamp == wanted) {
            std::cout << path << " is up to date (" << wanted.substr(0, wanted.size() - 1) << ")\n";
            return 0;
        }
        if (stamp.empty())
            throw std::runtime_error(path + " exists and was not made by corvath-bench-tree; remove it or choose another path");
        removeOurs(path);
    }
    // Built under a side name and renamed when complete, so an interrupted run
    // never leaves a half tree that looks finished.
    const std::string building = path + ".building";
    if (exists(building)) {
        if (readStamp(building) != kIncomplete)
            throw std::runtime_error(building + " exists and was not made by corvath-bench-tree; remove it");
        removeOurs(building);
    }

    const auto start = std::chrono::steady_clock::now();
    const auto plan = corvath::bench::makePlan(params);
    if (::mkdir(building.c_str(), 0755) != 0)
        throw std::system_error(errno, std::generic_category(), "mkdir " + building);
    writeStamp(building, kIncomplete);
    const int rootFd = ::open(building.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (rootFd < 0) throw std::system_error(errno, std::generic_category(), "open " + building);
    corvath::bench::WriteTotals totals;
    try {
        totals = corvath::bench::writeTree(plan, rootFd);
    } catch (...) {
        ::close(rootFd);
        throw;
    }
    ::close(rootFd);
    writeStamp(building, wanted);
    if (::rename(building.c_str(), path.c_str()) != 0)
        throw std::system_error(errno, std::generic_category(), "rename " + building);
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
