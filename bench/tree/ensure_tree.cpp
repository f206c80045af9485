#include "tree/ensure_tree.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace corvath::bench {
namespace {

constexpr const char* kIncomplete = "corvath-bench-tree incomplete\n";

[[noreturn]] void fail(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string readStamp(const std::string& tree) {
    std::ifstream in(tree + "/" + kStampName);
    if (!in) return {};
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeStamp(const std::string& tree, const std::string& text) {
    std::ofstream out(tree + "/" + kStampName, std::ios::trunc);
    out << text;
    if (!out.flush()) throw std::runtime_error("cannot write the stamp in " + tree);
}

void removeOurs(const std::string& path, std::ostream& log) {
    log << "removing " << path << "\n" << std::flush;
    removeTree(AT_FDCWD, path.c_str());
}

}  // namespace

EnsureOutcome ensureTree(const TreeParameters& params, const std::string& path, std::ostream& log) {
    const std::string wanted = params.describe();
    if (exists(path)) {
        const std::string stamp = readStamp(path);
        if (stamp == wanted) return {};
        if (stamp.empty() || stamp == kIncomplete)
            throw std::runtime_error(path + " exists and was not made by corvath-bench-tree; remove it or choose another path");
        removeOurs(path, log);
    }
    const std::string building = path + ".building";
    if (exists(building)) {
        if (readStamp(building) != kIncomplete)
            throw std::runtime_error(building + " exists and was not made by corvath-bench-tree; remove it");
        removeOurs(building, log);
    }

    const auto plan = makePlan(params);
    if (::mkdir(building.c_str(), 0755) != 0) fail("mkdir " + building);
    writeStamp(building, kIncomplete);
    const int rootFd = ::open(building.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (rootFd < 0) fail("open " + building);
    EnsureOutcome outcome{true, {}};
    try {
        outcome.totals = writeTree(plan, rootFd);
    } catch (...) {
        ::close(rootFd);
        throw;
    }
    ::close(rootFd);
    writeStamp(building, wanted);
    if (::rename(building.c_str(), path.c_str()) != 0) fail("rename " + building);
    return outcome;
}

}  // namespace corvath::bench
