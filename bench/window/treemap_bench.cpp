// corvath-bench-treemap: what drawing the results window's nested treemap
// costs: the layout (reading the folders it divides from the database the
// first time) and the painting, on the real widget over the real folder tree
// model and a real scans database.
//
//   corvath-bench-treemap [--rounds 7] [--size 800x600] [--shot PREFIX] [DATABASE]
//
// Without DATABASE it stores a scan whose root holds 100,000 sub-folders (the
// 30 largest with 40 sub-folders each, so that the map divides them) in a
// scratch database; with one it draws the root of the database's latest scan.
// Runs under QT_QPA_PLATFORM=offscreen unless another platform is chosen.
#include "engine/folder_table.h"
#include "qt/folder_item.h"
#include "qt/qt_folder_tree_model.h"
#include "qt/qt_treemap_widget.h"
#include "results/results_database.h"
#include "results/scan_reader.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using namespace corvath;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr double kTargetMs = 300;
constexpr std::uint32_t kLevel = 100'000;
constexpr std::uint32_t kBig = 30;
constexpr std::uint32_t kBigParts = 40;

std::uint64_t mix(std::uint64_t x) {
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    return x;
}

std::uint32_t addFolder(FolderTable& table, std::uint32_t parent, const std::string& name, std::uint64_t bytes) {
    const std::uint32_t index = table.append();
    FolderNode& node = table[index];
    node.parent = parent;
    node.name = name;
    node.allocated = node.ownAllocated = node.apparent = node.ownApparent = bytes;
    return index;
}

void storeWideLevel(const std::string& database) {
    FolderTable table;
    addFolder(table, FolderNode::kNoParent, "/wide", 4096);
    for (std::uint32_t i = 0; i < kLevel; ++i) {
        const std::uint32_t folder = addFolder(table, 0, "folder-" + std::to_string(i), 4096 * (1 + mix(i) % 61));
        for (std::uint32_t k = 0; i < kBig && k < kBigParts; ++k) {
            addFolder(table, folder, "part-" + std::to_string(k), 4096 * (1000 + mix(i * 100 + k) % 5000));
        }
    }
    for (std::uint32_t i = 1; i < table.size(); ++i) ++table[table[i].parent].folders;
    table.sumUp();
    const auto now = std::chrono::system_clock::now();
    ScanRecord record{"/wide/", "/wide", now, now, {table[0].allocated, table[0].apparent, 0, table.size(), 0}, {}, {}};
    ResultsDatabase(database).storeScan(record, table);
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Draw {
    double layout = 0;
    double paint = 0;
    double total() const { return layout + paint; }
};

Draw draw(QtTreemapWidget& map, const FolderItem* folder, QImage* shot) {
    Draw timed;
    auto start = Clock::now();
    map.showFolder(nullptr, false);
    map.showFolder(folder, false);
    timed.layout = msSince(start);
    start = Clock::now();
    const QImage image = map.grab().toImage();
    timed.paint = msSince(start);
    if (shot != nullptr) *shot = image;
    return timed;
}

void report(const char* what, const ScanReader& reader, const StoredScan& scan, int rounds, const QSize& size,
            const std::string& shot) {
    QtFolderTreeModel model;
    QtTreemapWidget map;
    map.resize(size);
    map.setFetch([&](const FolderItem& folder) { model.ensureFetched(model.indexOf(&folder)); });
    auto start = Clock::now();
    model.showScan(reader, scan, std::nullopt);
    model.ensureFetched(model.rootIndex());
    const double read = msSince(start);
    const FolderItem* root = model.item(model.rootIndex());

    QImage image;
    const Draw first = draw(map, root, &image);
    std::vector<Draw> warm;
    for (int i = 0; i < rounds; ++i) warm.push_back(draw(map, root, nullptr));
    std::sort(warm.begin(), warm.end(), [](const Draw& a, const Draw& b) { return a.total() < b.total(); });
    const Draw median = warm[warm.size() / 2];
    std::printf("%s: %zu folders in the root, read in %.0f ms; %zu blocks drawn\n", what, root->children.size(), read,
                map.blocks().size());
    std::printf(
        "  first draw %.0f ms (layout with its reads %.0f, paint %.0f); then median %.0f ms (layout %.0f, "
        "paint %.0f) of %d; target %.0f ms: %s\n",
        first.total(), first.layout, first.paint, median.total(), median.layout, median.paint, rounds, kTargetMs,
        std::max(first.total(), median.total()) <= kTargetMs ? "met" : "MISSED");
    if (!shot.empty()) image.save(QString::fromStdString(shot));
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    int rounds = 7;
    QSize size(800, 600);
    std::string shot;
    std::string database;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--rounds" && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--size" && i + 1 < argc) {
            int w = 0, h = 0;
            if (std::sscanf(argv[++i], "%dx%d", &w, &h) == 2) size = {w, h};
        } else if (arg == "--shot" && i + 1 < argc) {
            shot = argv[++i];
        } else {
            database = arg;
        }
    }
    try {
        if (database.empty()) {
            const fs::path scratch = fs::temp_directory_path() / ("corvath-treemap-bench-" + std::to_string(getpid()));
            fs::create_directories(scratch);
            const std::string wide = (scratch / "wide.db").string();
            storeWideLevel(wide);
            {
                const ScanReader reader(wide);
                report("100,000-folder level", reader, reader.latestScans().at(0), rounds, size,
                       shot.empty() ? "" : shot + "-wide.png");
            }
            fs::remove_all(scratch);
        } else {
            const ScanReader reader(database);
            std::vector<StoredScan> scans = reader.scans();
            report(database.c_str(), reader, scans.at(scans.size() - 1), rounds, size,
                   shot.empty() ? "" : shot + "-scan.png");
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "corvath-bench-treemap: %s\n", error.what());
        return 1;
    }
    return 0;
}
