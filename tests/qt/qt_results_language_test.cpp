// The results window in the user's language and on a small screen, as the
// program makes it: run under LANG=de_DE.UTF-8 its texts, boxes and the names
// a screen reader speaks are German; under QT_SCALE_FACTOR=2, in English and
// in German (the longer texts), it still fits a 1280 x 720 screen. Over a
// real scans database filled by the real engine.
#include "qt/qt_results_window.h"

#include "engine/event_pump.h"
#include "qt/qt_folder_filter_model.h"
#include "qt/qt_folder_tree_model.h"
#include "qt/qt_translation.h"
#include "qt/results_window_fixture.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>

#include <filesystem>
#include <memory>

namespace corvath {
namespace {

namespace fs = std::filesystem;

class ResultsLanguage : public test::ResultsWindowFixture {
protected:
    ResultsLanguage() {
        static const bool installed = [] {
            installTranslations(test::qtApp());
            return true;
        }();
        (void)installed;
        test::writeFile(tree / "kept" / "a", std::string(200 << 10, 'a'));
        test::writeFile(tree / "old" / "b", "b");
        store();
        fs::remove_all(tree / "old");
        store();
    }

    std::unique_ptr<QtResultsWindow> open() {
        return openWindow(database, [](EventPump&) { return std::unique_ptr<AnalysisEngine>(); });
    }
};

TEST_F(ResultsLanguage, UnderAGermanLocaleTheWindowItsBoxesAndItsSpokenNamesAreGerman) {
    ASSERT_EQ(QLocale::system().language(), QLocale::German) << "run with LANG=de_DE.UTF-8";
    auto window = open();
    const std::vector<StoredScan> scans = ScanReader(database.string()).scans();
    window->showScan(scans[1].id, scans[0].id);

    QTabWidget& tabs = *window->tabs();
    EXPECT_EQ(tabs.tabText(0), "Ordner");
    EXPECT_EQ(tabs.tabText(1), "Größte Dateien");
    EXPECT_EQ(tabs.tabText(2), "Verlauf");
    EXPECT_EQ(window->excludesButton()->text(), "Aus&geschlossene Ordner...");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(window->nameFilter())->text(QAccessible::Name), "Nach Namen filtern");
    const QString summary = window->statusBar()->findChild<QLabel*>()->text();
    EXPECT_TRUE(summary.contains(" belegt von ") && summary.contains(" Ordnern, gescannt am ")) << summary.toStdString();

    QtFolderTreeModel& model = *window->folderModel();
    EXPECT_EQ(model.headerData(QtFolderTreeModel::kChange, Qt::Horizontal).toString(), "Änderung");
    const FolderItem* top = window->currentFolder();
    QStringList changes;
    for (const auto& folder : top->children) changes << model.indexOf(folder.get(), QtFolderTreeModel::kChange).data().toString();
    EXPECT_EQ(changes.filter(" (entfernt)").size(), 1) << changes.join(" | ").toStdString();
    // Sizes and shares with the German decimal comma: "1.5" would read as fifteen.
    const QModelIndex root = model.rootIndex();
    for (const int column : {QtFolderTreeModel::kSize, QtFolderTreeModel::kShare}) {
        const QString shown = model.index(root.row(), column, root.parent()).data().toString();
        EXPECT_TRUE(shown.contains(',') && !shown.contains('.')) << shown.toStdString();
    }

    // The trash question and Qt's own buttons.
    window->folderView()->setCurrentIndex(window->folderFilter()->mapFromSource(model.indexOf(top->children.front().get())));
    QString question, no;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            question = box->text();
            no = box->button(QMessageBox::No)->text();
            box->button(QMessageBox::No)->click();
        }
    });
    answer.start(20);
    window->moveSelectedToTrash();
    answer.stop();
    EXPECT_TRUE(question.endsWith(") in den Papierkorb verschieben?")) << question.toStdString();
    EXPECT_EQ(no, "&Nein");
}

TEST_F(ResultsLanguage, TheWindowFitsASmallScreenAtTwiceTheSize) {
    auto window = open();
    const qreal scale = window->devicePixelRatioF();
    ASSERT_EQ(scale, 2.0) << "run with QT_SCALE_FACTOR=2";
    // Whatever page shows: the minimum is that of the largest one.
    const QSize minimum = window->minimumSize().expandedTo(window->minimumSizeHint());
    EXPECT_LE(minimum.width() * scale, 1280) << minimum.width() << " logical pixels wide";
    EXPECT_LE(minimum.height() * scale, 720) << minimum.height() << " logical pixels high";
}

}  // namespace
}  // namespace corvath
