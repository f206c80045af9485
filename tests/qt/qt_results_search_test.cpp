// The results window's search of the whole scan and "only what changed", in a
// fresh window over a real scans database filled by the real engine.
#include "qt/qt_results_window.h"

#include "qt/qt_folder_filter_model.h"
#include "qt/qt_folder_search.h"
#include "qt/qt_folder_tree_model.h"
#include "qt/results_window_fixture.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>

#include <filesystem>

namespace corvath {
namespace {

namespace fs = std::filesystem;

class ResultsSearch : public test::ResultsWindowFixture {
protected:
    void write(const fs::path& relative, std::size_t bytes) { writeBytes(tree.path() / relative, bytes); }
    std::unique_ptr<QtResultsWindow> open() { return openWindow(); }
    // The row of the folder at that path below the tree, as the view shows it;
    // invalid when hidden. Reads nothing: a row not read yet is not there.
    static QModelIndex shownRow(const QtResultsWindow& window, const std::string& relative) {
        QAbstractItemModel& view = *window.folderFilter();
        QModelIndex at = view.index(0, 0);
        for (const auto& part : fs::path(relative)) {
            QModelIndex next;
            for (int row = 0; row < view.rowCount(at); ++row) {
                if (view.index(row, 0, at).data().toString().toStdString() == part.string()) next = view.index(row, 0, at);
            }
            if (!next.isValid()) return {};
            at = next;
        }
        return at;
    }
    // Shown, with every folder above it open, within the view's visible area.
    static bool inSight(const QtResultsWindow& window, const QModelIndex& row) {
        for (QModelIndex up = row.parent(); up.isValid(); up = up.parent()) {
            if (!window.folderView()->isExpanded(up)) return false;
        }
        return window.folderView()->viewport()->rect().intersects(window.folderView()->visualRect(row));
    }
};

TEST_F(ResultsSearch, AFolderThreeLevelsDownIsFoundInAFreshWindowAndTheTreeOpensToIt) {
    write("projects/2025/Quarterly Report/q.txt", 8 << 10);
    write("projects/2024/notes/n.txt", 4 << 10);
    write("archive/old/quarterly-2019/q.txt", 4 << 10);
    write("music/m.bin", 64 << 10);
    store();
    auto window = open();
    // The treemap may have read a few levels to draw them; the tree shows none of them open.
    for (const char* folder : {"projects", "archive"}) {
        EXPECT_FALSE(window->folderView()->isExpanded(shownRow(*window, folder))) << folder << " is open already";
    }

    QTest::keyClicks(window->nameFilter(), "QUARTERLY");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->folderSearch()->busy(); }, 5000));
    EXPECT_TRUE(inSight(*window, shownRow(*window, "projects/2025/Quarterly Report")));
    EXPECT_TRUE(inSight(*window, shownRow(*window, "archive/old/quarterly-2019")));
    EXPECT_FALSE(shownRow(*window, "music").isValid());
    EXPECT_FALSE(shownRow(*window, "projects/2024").isValid());
    EXPECT_FALSE(window->searchNote()->isVisible());

    // Cleared, the tree closes what the search opened.
    QTest::keyClick(window->nameFilter(), Qt::Key_Escape);
    EXPECT_TRUE(shownRow(*window, "music").isValid());
    EXPECT_FALSE(window->folderView()->isExpanded(shownRow(*window, "projects")));
    EXPECT_FALSE(window->folderView()->isExpanded(shownRow(*window, "archive/old")));

    // Nothing found says so.
    QTest::keyClicks(window->nameFilter(), "xyz");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->folderSearch()->busy(); }, 5000));
    EXPECT_TRUE(window->searchNote()->isVisible());
    EXPECT_TRUE(window->searchNote()->text().contains("\"xyz\""));
}

TEST_F(ResultsSearch, OnlyWhatChangedOpensToEveryChangedFolderARenameWithNoNetChangeToo) {
    write("deep/a/b/c/log", 8 << 10);
    write("photos/2024/p.jpg", 32 << 10);
    write("same/s", 4 << 10);
    write("notes/n.txt", 3000);
    store();
    write("deep/a/b/c/more", 16 << 10);
    write("notes/n.txt", 3500);  // the same blocks, other content
    fs::rename(tree.path() / "photos" / "2024", tree.path() / "photos" / "Summer 2024");
    store();
    auto window = open();
    const std::int64_t latest = window->shownScan()->id;
    window->showScan(latest, latest - 1);
    ASSERT_TRUE(window->earlierScan());
    window->onlyChangedBox()->setChecked(true);

    EXPECT_TRUE(inSight(*window, shownRow(*window, "deep/a/b/c")));
    // photos has the same size as before, yet a sub-folder went and one came.
    const FolderItem* photos = window->folderModel()->item(window->folderFilter()->mapToSource(shownRow(*window, "photos")));
    ASSERT_NE(photos, nullptr);
    EXPECT_EQ(photos->grown(), 0);
    EXPECT_TRUE(inSight(*window, shownRow(*window, "photos/Summer 2024")));
    EXPECT_TRUE(inSight(*window, shownRow(*window, "photos/2024")));
    EXPECT_FALSE(shownRow(*window, "same").isValid());
    const QModelIndex notes = shownRow(*window, "notes");
    ASSERT_TRUE(notes.isValid());
    EXPECT_EQ(window->folderModel()->item(window->folderFilter()->mapToSource(notes))->grown(), 0);

    window->onlyChangedBox()->setChecked(false);
    EXPECT_TRUE(shownRow(*window, "same").isValid());
    EXPECT_FALSE(window->folderView()->isExpanded(shownRow(*window, "deep")));
}

}  // namespace
}  // namespace corvath
