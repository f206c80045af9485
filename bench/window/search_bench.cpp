// corvath-bench-window-search [DATABASE]: the results window's search of the
// whole scan and its "only what changed", timed on the real window under the
// offscreen platform over a scans database (default: corvath-bench-history's
// year.db). Prints, for each text, the time from the last key until the tree
// is opened to the matches (less the pause the window waits for more typing),
// first in a fresh window (the scan's folders read), then again; and the time
// "only what changed" takes to open the tree between the last two scans.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <chrono>
#include <cstdio>
#include <string>

#include "platform/linux/freedesktop_trash.h"
#include "qt/qt_folder_search.h"
#include "qt/qt_results_window.h"
#include "results/scan_reader.h"

namespace {

using namespace corvath;
using Clock = std::chrono::steady_clock;

class NoFileManager : public FileManager {
public:
    void open(const std::string&) override {}
};

double msSince(Clock::time_point start) { return std::chrono::duration<double, std::milli>(Clock::now() - start).count(); }

// From the text set until the search has reported and the tree is opened.
double timeSearch(QtResultsWindow& window, const char* text) {
    window.nameFilter()->clear();
    QApplication::processEvents();
    const auto start = Clock::now();
    window.nameFilter()->setText(QString::fromUtf8(text));
    if (!QTest::qWaitFor([&] { return !window.folderSearch()->busy(); }, 30000)) return -1;
    return msSince(start);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::string database = argc > 1 ? argv[1] : "/var/tmp/corvath-bench-history/year.db";
    NoFileManager files;
    FreedesktopTrash trash;
    const double pause = 200;  // the window's wait for more typing, in QtFolderSearch

    for (const char* text : {"GROUP-042", "area-007", "item-013", "no-such-name"}) {
        QtResultsWindow fresh(database, files, trash, {});
        fresh.show();
        const double first = timeSearch(fresh, text);
        const double again = timeSearch(fresh, text);
        std::printf("search \"%s\": tree opened %.0f ms after the pause in a fresh window, %.0f ms again; %s\n", text,
                    first - pause, again - pause, fresh.searchNote()->text().toUtf8().constData());
    }

    QtResultsWindow window(database, files, trash, {});
    window.show();
    const std::vector<StoredScan> scans = ScanReader(database).scans();
    window.showScan(scans.back().id, scans[scans.size() - 2].id);
    QApplication::processEvents();
    const auto start = Clock::now();
    window.onlyChangedBox()->setChecked(true);
    const double opened = msSince(start);
    QApplication::processEvents();
    std::printf("only what changed between the last two scans: tree opened in %.0f ms (%.0f ms until painted); %s\n",
                opened, msSince(start), window.searchNote()->text().toUtf8().constData());
    return 0;
}
