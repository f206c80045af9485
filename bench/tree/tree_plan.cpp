#include "tree/tree_plan.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace corvath::bench {
namespace {

// SplitMix64: defined bit for bit, so a seed gives the same tree with any standard
// library (std::*_distribution is implementation-defined).
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // Uniform in [0, n); n > 0.
    std::uint32_t below(std::uint64_t n) { return static_cast<std::uint32_t>(next() % n); }
    std::uint64_t between(std::uint64_t lo, std::uint64_t hi) { return lo + next() % (hi - lo + 1); }
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    bool chance(double p) { return unit() < p; }
    double normal() {
        const double u1 = std::max(unit(), 1e-300);
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * std::numbers::pi * unit());
    }

private:
    std::uint64_t state_;
};

constexpr std::uint32_t kMaxDepth = 24;
constexpr double kBigFolderShares[] = {0.020, 0.024, 0.028, 0.032};

bool isRegular(EntryKind k) { return k != EntryKind::HardLink && k != EntryKind::Symlink; }

void planFolders(TreePlan& plan, Random& rng) {
    const auto& p = plan.params;
    auto& folders = plan.folders;
    folders.resize(std::max<std::uint32_t>(p.folders, 1));
    const std::uint32_t chain = std::min(p.deepChain, p.folders > 1 ? p.folders - 1 : 0);
    for (std::uint32_t i = 1; i <= chain; ++i) {
        folders[i].parent = i - 1;
        folders[i].depth = i;
        folders[i].inDeepChain = true;
    }
    const std::uint32_t first = chain + 1;
    for (std::uint32_t i = first; i < folders.size(); ++i) {
        std::uint32_t parent = 0;
        // Mostly near the folders made just before, which gives deep branches;
        // otherwise anywhere, which gives wide ones.
        if (i > first && rng.chance(0.6)) {
            const std::uint32_t window = std::min<std::uint32_t>(16, i - first);
            parent = i - 1 - rng.below(window);
        } else {
            const std::uint32_t pick = rng.below(i - first + 1);
            parent = pick == 0 ? 0 : first + pick - 1;
        }
        while (folders[parent].depth >= kMaxDepth) {
            const std::uint32_t pick = rng.below(i - first + 1);
            parent = pick == 0 ? 0 : first + pick - 1;
        }
        folders[i].parent = parent;
        folders[i].depth = folders[parent].depth + 1;
    }
    for (std::uint32_t i = 1; i < folders.size(); ++i) folders[folders[i].parent].children.push_back(i);
}

std::vector<std::uint32_t> planCounts(const TreePlan& plan, Random& rng) {
    const auto& p = plan.params;
    const auto& folders = plan.folders;
    const auto n = static_cast<std::uint32_t>(folders.size());
    std::vector<std::uint32_t> counts(n, 0);
    std::uint64_t remaining = p.files;

    for (std::uint32_t i = 1; i < n && remaining > 0; ++i) {
        if (folders[i].inDeepChain) {
            counts[i] = 1;
            --remaining;
        }
    }
    std::vector<std::uint32_t> ordinary;
    for (std::uint32_t i = 0; i < n; ++i)
        if (!folders[i].inDeepChain) ordinary.push_back(i);

    if (ordinary.size() > 8) {
        for (double share : kBigFolderShares) {
            const std::uint32_t f = ordinary[rng.below(ordinary.size())];
            const auto want = static_cast<std::uint64_t>(share * p.files);
            const auto take = std::min<std::uint64_t>(want, remaining);
            counts[f] += static_cast<std::uint32_t>(take);
            remaining -= take;
        }
    }
    // The rest spread log-normally, a fifth of the folders left empty of files.
    std::vector<double> weight(n, 0.0);
    double total = 0;
    for (std::uint32_t f : ordinary) {
        if (rng.chance(0.2)) continue;
        weight[f] = std::exp(1.3 * rng.normal());
        total += weight[f];
    }
    if (total <= 0) {
        weight[ordinary.front()] = 1;
        total = 1;
    }
    std::uint64_t given = 0;
    const std::uint64_t toSpread = remaining;
    std::vector<std::uint32_t> weighted;
    for (std::uint32_t f : ordinary) {
        if (weight[f] <= 0) continue;
        weighted.push_back(f);
        const auto c = static_cast<std::uint64_t>(std::floor(static_cast<double>(toSpread) * weight[f] / total));
        counts[f] += static_cast<std::uint32_t>(c);
        given += c;
    }
    for (; given < toSpread; ++given) ++counts[weighted[rng.below(weighted.size())]];
    return counts;
}

PlannedEntry planEntry(TreePlan& plan, std::uint32_t folder, std::uint32_t index, Random& rng) {
    PlannedEntry e;
    if (plan.folders[folder].inDeepChain) return e;
    const double r = rng.unit();
    if (r < 0.010) {
        e.kind = EntryKind::Symlink;
        e.symlinkIndex = static_cast<std::uint32_t>(rng.next());
    } else if (r < 0.025) {
        std::uint32_t tf = folder;
        if (!rng.chance(0.6)) tf = rng.below(folder + 1);
        const auto& target = plan.folders[tf];
        const auto available = static_cast<std::uint32_t>(tf == folder ? index : target.entries.size());
        if (!target.inDeepChain && available > 0) {
            const std::uint32_t te = rng.below(available);
            if (isRegular(target.entries[te].kind)) {
                e.kind = EntryKind::HardLink;
                e.targetFolder = tf;
                e.targetEntry = te;
            }
        }
    } else if (r < 0.0252) {
        e.kind = EntryKind::Sparse;
        e.size = rng.between(1, 16) << 30;
    } else if (r < 0.0253) {
        e.kind = EntryKind::Medium;
        e.size = rng.between(64 << 10, 1 << 20);
    } else if (r < 0.0303) {
        e.kind = EntryKind::Small;
        e.size = rng.between(1 << 10, 16 << 10);
    } else if (r < 0.1103) {
        e.kind = EntryKind::Tiny;
        e.size = rng.between(1, 200);
    }
    return e;
}

}  // namespace

std::string TreeParameters::describe() const {
    return "corvath-bench-tree v1 seed=" + std::to_string(seed) + " files=" + std::to_string(files) +
           " folders=" + std::to_string(folders) + " deep=" + std::to_string(deepChain) + "\n";
}

TreePlan makePlan(const TreeParameters& params) {
    TreePlan plan;
    plan.params = params;
    Random rng(params.seed);
    planFolders(plan, rng);
    const auto counts = planCounts(plan, rng);
    for (std::uint32_t f = 0; f < plan.folders.size(); ++f) {
        auto& entries = plan.folders[f].entries;
        entries.reserve(counts[f]);
        for (std::uint32_t i = 0; i < counts[f]; ++i) entries.push_back(planEntry(plan, f, i, rng));
    }
    return plan;
}

std::string folderName(std::uint32_t folder) { return "folder-" + std::to_string(folder); }

std::string entryName(const PlannedEntry& entry, std::uint32_t index) {
    static const char* const kExtensions[] = {".txt", ".dat", ".log", ".json", ".bin", ".cfg", "", ".tar.gz"};
    switch (entry.kind) {
    case EntryKind::HardLink: return "link-" + std::to_string(index);
    case EntryKind::Symlink: return "sym-" + std::to_string(index);
    default: return "file-" + std::to_string(index) + kExtensions[(index * 2654435761U) >> 29];
    }
}

std::string symlinkTarget(std::uint32_t symlinkIndex, std::uint32_t entryCount) {
    const std::uint32_t sibling = entryCount ? (symlinkIndex / 16) % entryCount : 0;
    switch (symlinkIndex % 10) {
    case 0: case 1: case 2: case 3: return "file-" + std::to_string(sibling) + ".txt";
    case 4: case 5: return "../" + folderName(symlinkIndex / 16 % 97) + "/file-0.dat";
    case 6: return "missing-" + std::to_string(symlinkIndex);
    case 7: return ".";
    case 8: return "..";
    default: return (symlinkIndex / 10) % 2 ? "/" : "/proc/self/root";
    }
}

}  // namespace corvath::bench
