// The results window under the offscreen platform, over a real scans database
// filled by the real engine from a real tree.
#include "qt/qt_results_window.h"

#include "engine/event_pump.h"
#include "engine/scan_reference.h"
#include "engine/scanner.h"
#include "platform/linux/freedesktop_trash.h"
#include "qt/folder_item.h"
#include "qt/qt_folder_filter_model.h"
#include "qt/qt_folder_tree_model.h"
#include "qt/qt_excludes_dialog.h"
#include "qt/qt_history_chart.h"
#include "qt/qt_largest_files_model.h"
#include "qt/qt_results_delegate.h"
#include "qt/qt_test_app.h"
#include "qt/qt_treemap_widget.h"
#include "qt/results_window_fixture.h"
#include "results/results_database.h"
#include "settings/analyzer_settings.h"
#include "settings/excluded_folders.h"
#include "support/fake_engine.h"
#include "support/fake_registry_store.h"
#include "support/mount_namespace.h"
#include "support/recording_file_manager.h"
#include "support/temp_dir.h"
#include "text/size_text.h"
#include "ui/colour_contrast.h"
#include "ui/growth_shade.h"

#include <gtest/gtest.h>

#include <QAbstractAxis>
#include <QAccessible>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QLineSeries>
#include <QRegularExpression>
#include <QScatterSeries>
#include <QTreeWidget>
#include <QCheckBox>
#include <QDate>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QProgressBar>
#include <QStatusBar>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QClipboard>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QTreeView>

#include <filesystem>
#include <fstream>
#include <memory>

#include <sys/mount.h>
#include <sys/stat.h>

namespace corvath {
namespace {

namespace fs = std::filesystem;
using test::TempDir;


std::uint64_t allocatedBytes(const fs::path& file) {
    struct stat status {};
    EXPECT_EQ(::stat(file.c_str(), &status), 0);
    return static_cast<std::uint64_t>(status.st_blocks) * 512;
}

// Answers the next message boxes, the n-th with the n-th button; what each
// box said is kept.
class BoxAnswers {
public:
    explicit BoxAnswers(std::vector<QMessageBox::StandardButton> buttons) : buttons_(std::move(buttons)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || texts_.size() >= buttons_.size()) return;
            texts_.push_back(box->text() + "\n" + box->informativeText());
            box->button(buttons_[texts_.size() - 1])->click();
        });
        timer_.start(20);
    }
    QString text(std::size_t box) const { return box < texts_.size() ? texts_[box] : QString(); }
    std::size_t count() const { return texts_.size(); }

private:
    std::vector<QMessageBox::StandardButton> buttons_;
    QTimer timer_;
    std::vector<QString> texts_;
};

class ResultsWindow : public test::ResultsWindowFixture {
protected:
    ResultsWindow() {
        writeBytes(tree / "big" / "movie.bin", 3 << 20);
        writeBytes(tree / "big" / "inner" / "notes", 100 << 10);
        writeBytes(tree / "small" / "a", 10 << 10);
        writeBytes(tree / "grow" / "log", 1 << 20);
        writeBytes(tree / "old" / "draft", 50 << 10);
        writeBytes(tree / "a folder with a name long enough to be cut" / "f", 4 << 10);
        writeBytes(tree / "readme", 20 << 10);
    }

    // "Analyze Again" runs the real engine unless a test gives others.
    std::unique_ptr<QtResultsWindow> open(const fs::path& path, PumpedEngineFactory engines = {}) {
        if (!engines) {
            engines = [this](EventPump& pump) { return std::make_unique<Scanner>(pump, results, ScannerOptions{2}); };
        }
        return openWindow(path, std::move(engines));
    }
    std::unique_ptr<QtResultsWindow> open() { return open(database); }

    static const FolderItem* child(const FolderItem* folder, const std::string& name) {
        for (const auto& item : folder->children) {
            if (item->name() == name) return item.get();
        }
        return nullptr;
    }
    static QModelIndex viewIndex(QtResultsWindow& window, const FolderItem* folder) {
        return window.folderFilter()->mapFromSource(window.folderModel()->indexOf(folder));
    }
};

TEST_F(ResultsWindow, TheTreesTotalsAreTheDatabasesAndFoldersAreReadWhenOpened) {
    // Deeper than the treemap divides: y, four levels down, is drawn whole at most.
    writeBytes(tree / "big" / "inner" / "x" / "y" / "z" / "f", 1024);
    store();
    auto window = open();
    ASSERT_FALSE(window->showingEmptyState());
    const ScanReader reader(database.string());
    const StoredScan scan = reader.latestScans().at(0);
    QtFolderTreeModel& model = *window->folderModel();
    const QModelIndex root = model.rootIndex();
    const FolderItem* top = model.item(root);
    EXPECT_EQ(top->path, tree.path().string());
    EXPECT_EQ(top->now.allocated, scan.allocated);
    EXPECT_EQ(top->now.files, scan.files);
    EXPECT_EQ(top->now.folders + 1, scan.folders);
    EXPECT_EQ(root.siblingAtColumn(QtFolderTreeModel::kSize).data().toString().toStdString(),
              sizeText(scan.allocated));

    // The root's rows are the database's children, largest first; with the
    // root's own files they add up to the whole.
    const std::vector<StoredFolder> stored = reader.children(scan.top);
    ASSERT_EQ(model.rowCount(root), static_cast<int>(stored.size()));
    std::uint64_t sum = top->ownNow;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const FolderItem* row = model.item(model.index(static_cast<int>(i), 0, root));
        EXPECT_EQ(row->name(), stored[i].name);
        EXPECT_EQ(row->now.allocated, stored[i].allocated);
        EXPECT_EQ(row->now.files, stored[i].files);
        EXPECT_EQ(row->now.folders, stored[i].folders);
        sum += row->now.allocated;
    }
    EXPECT_EQ(sum, scan.allocated);
    EXPECT_EQ(top->children.front()->name(), "big");

    const FolderItem* big = child(top, "big");
    const QModelIndex bigIndex = model.indexOf(big);
    EXPECT_NEAR(bigIndex.siblingAtColumn(QtFolderTreeModel::kShare).data(QtFolderTreeModel::kShareRole).toDouble(),
                static_cast<double>(big->now.allocated) / static_cast<double>(scan.allocated), 1e-9);
    // Read to draw it nested in the treemap.
    ASSERT_EQ(model.rowCount(bigIndex), 1);
    EXPECT_EQ(big->children.front()->name(), "inner");
    EXPECT_EQ(big->children.front()->path, (tree / "big" / "inner").string());

    // Neither drawn divided nor opened: not read until the tree opens it.
    const QModelIndex yIndex = model.findPath((tree / "big" / "inner" / "x" / "y").string());
    const FolderItem* y = model.item(yIndex);
    ASSERT_NE(y, nullptr);
    EXPECT_TRUE(model.canFetchMore(yIndex));
    EXPECT_EQ(model.rowCount(yIndex), 0);
    for (const FolderItem* at = y; at != nullptr; at = at->parent) window->folderView()->expand(viewIndex(*window, at));
    QApplication::processEvents();
    ASSERT_EQ(model.rowCount(yIndex), 1);
    EXPECT_EQ(y->children.front()->name(), "z");
}

TEST_F(ResultsWindow, TreemapAndTreeMoveTogether) {
    store();
    auto window = open();
    QtTreemapWidget& map = *window->treemap();
    QTreeView& view = *window->folderView();
    const FolderItem* top = window->currentFolder();
    const FolderItem* big = child(top, "big");
    const FolderItem* small = child(top, "small");

    // A click selects the folder's row; the treemap still shows the root.
    QTest::mouseClick(&map, Qt::LeftButton, {}, map.blockRect(map.blockOf(small)).center());
    EXPECT_EQ(window->folderModel()->item(window->folderFilter()->mapToSource(view.currentIndex())), small);
    EXPECT_EQ(window->currentFolder(), top);

    // A double-click goes in; Backspace comes back with the folder selected.
    // Clicked inside big's block, away from the blocks nested in it.
    QTest::mouseDClick(&map, Qt::LeftButton, {}, map.blockRect(map.blockOf(big)).topLeft() + QPoint(1, 1));
    EXPECT_EQ(window->currentFolder(), big);
    EXPECT_TRUE(view.isExpanded(viewIndex(*window, big)));
    EXPECT_EQ(map.blocks().size(), 3u);  // big itself, inner and big's own files
    QTest::keyClick(&map, Qt::Key_Backspace);
    EXPECT_EQ(window->currentFolder(), top);
    EXPECT_EQ(map.selectedFolder(), big);

    // The same from the tree's keyboard: down a row (into big, which is open):
    // inner is drawn inside big's block, so the map stays and highlights it;
    // Enter goes in, Backspace up.
    view.setFocus();
    view.setCurrentIndex(viewIndex(*window, big));
    QTest::keyClick(&view, Qt::Key_Down);
    const FolderItem* inner = window->folderModel()->item(window->folderFilter()->mapToSource(view.currentIndex()));
    ASSERT_EQ(inner, big->children.front().get());
    EXPECT_EQ(window->currentFolder(), top);
    EXPECT_EQ(map.selectedFolder(), inner);
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(window->currentFolder(), inner);
    QTest::keyClick(&view, Qt::Key_Backspace);
    EXPECT_EQ(window->currentFolder(), big);
    EXPECT_EQ(map.selectedFolder(), inner);
    QTest::keyClick(&view, Qt::Key_Backspace);
    EXPECT_EQ(window->currentFolder(), top);
    EXPECT_EQ(map.selectedFolder(), big);

    // A row the map does not draw: the map shows it among its siblings.
    view.setCurrentIndex(viewIndex(*window, top));
    EXPECT_EQ(map.selectedBlock(), 0);
}

TEST_F(ResultsWindow, ComparingColoursAGrownFolderAndListsWhatChanged) {
    store();
    writeBytes(tree / "grow" / "more", 5 << 20);
    writeBytes(tree / "fresh" / "new", 100 << 10);
    fs::remove_all(tree / "old");
    store();
    auto window = open();
    const ScanReader reader(database.string());
    const std::vector<StoredScan> scans = reader.scans();
    ASSERT_EQ(scans.size(), 2u);
    EXPECT_EQ(window->shownScan()->id, scans[1].id);  // the latest
    window->showScan(scans[1].id, scans[0].id);
    ASSERT_TRUE(window->earlierScan());
    EXPECT_FALSE(window->folderView()->isColumnHidden(QtFolderTreeModel::kChange));

    const QtFolderTreeModel& model = *window->folderModel();
    const FolderItem* top = window->currentFolder();
    const FolderItem* grow = child(top, "grow");
    const FolderItem* small = child(top, "small");
    const FolderItem* old = child(top, "old");
    ASSERT_TRUE(grow && small && old);
    EXPECT_EQ(grow->grown(), static_cast<std::int64_t>(allocatedBytes(tree / "grow" / "more")));
    EXPECT_EQ(model.indexOf(grow, QtFolderTreeModel::kChange).data().toString(), "+5.0 MiB");
    EXPECT_TRUE(old->gone());
    EXPECT_TRUE(model.indexOf(old, QtFolderTreeModel::kChange).data().toString().endsWith("(gone)"));
    EXPECT_EQ(small->grown(), 0);

    // The column has room for its widest text: "(new)" is never cut off.
    const FolderItem* fresh = child(top, "fresh");
    const QModelIndex freshChange = viewIndex(*window, fresh).siblingAtColumn(QtFolderTreeModel::kChange);
    EXPECT_TRUE(freshChange.data().toString().endsWith(" (new)"));
    QTreeView& view = *window->folderView();
    QStyleOptionViewItem cell;
    cell.initFrom(view.viewport());
    cell.rect = view.visualRect(freshChange);
    cell.widget = &view;
    EXPECT_FALSE(static_cast<QtResultsDelegate*>(view.itemDelegate())->textIsCut(cell, freshChange))
        << freshChange.data().toString().toStdString() << " in " << cell.rect.width() << " pixels";

    // Painted: the grown folder red, the unchanged one grey.
    const QtTreemapWidget& map = *window->treemap();
    const QImage shot = window->treemap()->grab().toImage();
    const QRect growRect = map.blockRect(map.blockOf(grow));
    const QColor grown = shot.pixelColor(growRect.center() + QPoint(0, growRect.height() / 4));
    EXPECT_GT(grown.red(), grown.green() + 60) << grown.name().toStdString();
    const Shade expected = growthShade(grow->before.allocated, grow->now.allocated);
    EXPECT_EQ(grown, QColor(expected.red, expected.green, expected.blue));
    const QRect smallRect = map.blockRect(map.blockOf(small));
    EXPECT_EQ(shot.pixelColor(smallRect.bottomRight() - QPoint(2, 2)),
              QColor(kUnchangedShade.red, kUnchangedShade.green, kUnchangedShade.blue));
    EXPECT_EQ(map.blockOf(old), -1) << "a gone folder has no area";

    // Only what changed: the unchanged folder goes, the grown and the gone stay.
    window->onlyChangedBox()->setChecked(true);
    EXPECT_FALSE(viewIndex(*window, small).isValid());
    EXPECT_TRUE(viewIndex(*window, grow).isValid());
    EXPECT_TRUE(viewIndex(*window, old).isValid());

    // The history has a point per scan.
    window->tabs()->setCurrentIndex(2);
    ASSERT_NE(window->historyChart(), nullptr);
    EXPECT_EQ(window->historyChart()->pointCount(), 2);
}

// The dialog keeps the patterns through the settings logic; a rescan with them
// leaves the folder out, and the comparison with the scan before warns.
TEST_F(ResultsWindow, ExcludedFoldersAreSavedFromTheDialogAndTheComparisonWarns) {
    store();
    test::FakeRegistryStore settings;
    settings.createKey(kSettingsKey);
    auto window = open(database, [&](EventPump& pump) {
        ScannerOptions options{2};
        options.excludedFolders = loadExcludedFolders(settings);
        return std::make_unique<Scanner>(pump, results, options);
    });
    window->setSettingsStore(&settings);
    QTimer typing;
    QObject::connect(&typing, &QTimer::timeout, [] {
        if (auto* dialog = qobject_cast<QtExcludesDialog*>(QApplication::activeModalWidget())) {
            dialog->editor()->setPlainText("big\n\n/old");
            dialog->accept();
        }
    });
    typing.start(20);
    window->excludesButton()->click();
    EXPECT_EQ(settings.text(kSettingsKey, kExcludedFolders), "big\t/old");
    window->analyzeAgain();
    const std::vector<StoredScan> scans = ScanReader(database.string()).scans();
    window->showScan(scans.at(1).id, scans[0].id);
    EXPECT_EQ(child(window->currentFolder(), "big")->now.allocated, 0u);
    EXPECT_TRUE(window->statusBar()->findChild<QLabel*>()->text().contains("not like for like"));
}

TEST_F(ResultsWindow, TrashAsksFirstNamingTheSizeNowAndTakesTheFolderOutOfTheTotals) {
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((data / "share").string()));
    store();
    writeBytes(tree / "big" / "added since", 2 << 20);
    auto window = open();
    const FolderItem* root = window->currentFolder();
    const FolderItem* big = child(root, "big");
    window->folderView()->expand(viewIndex(*window, big));
    QApplication::processEvents();
    ASSERT_EQ(big->children.size(), 1u);
    window->folderView()->setCurrentIndex(viewIndex(*window, big));
    const std::uint64_t stored = big->now.allocated;
    const std::uint64_t now = stored + allocatedBytes(tree / "big" / "added since");
    {
        BoxAnswers no({QMessageBox::No});
        window->moveSelectedToTrash();
        EXPECT_TRUE(no.text(0).contains("\u201cbig\u201d (" + QString::fromStdString(sizeText(now)) + ")"))
            << no.text(0).toStdString();
    }
    EXPECT_TRUE(fs::exists(tree / "big" / "movie.bin"));
    EXPECT_FALSE(big->trashed);

    const std::uint64_t rootBefore = root->now.allocated;
    const std::uint64_t filesBefore = root->now.files;
    {
        BoxAnswers yes({QMessageBox::Yes});
        window->moveSelectedToTrash();
        EXPECT_EQ(yes.count(), 1u) << "asked once, and nothing went wrong";
    }
    const fs::path trashed = data / "share" / "Trash";
    EXPECT_FALSE(fs::exists(tree / "big"));
    EXPECT_TRUE(fs::exists(trashed / "files" / "big" / "movie.bin")) << "moved, never deleted";
    const std::string record = test::readFile(trashed / "info" / "big.trashinfo");
    EXPECT_NE(record.find("\nPath=" + (tree / "big").string() + "\n"), std::string::npos) << record;
    EXPECT_NE(record.find("\nDeletionDate=" + QDate::currentDate().toString(Qt::ISODate).toStdString() + "T"),
              std::string::npos)
        << record;
    EXPECT_TRUE(window->folderModel()->indexOf(big).data(QtFolderTreeModel::kGoneRole).toBool());
    EXPECT_TRUE(big->children.front()->trashed) << "with what was read below it";
    {
        // Drawn hatched.
        QtTreemapWidget& map = *window->treemap();
        const QImage shot = map.grab().toImage();
        const QRect r = map.blockRect(map.blockOf(big));
        int hatch = 0;
        for (int x = r.left() + 2; x < r.right() - 1; ++x) hatch += shot.pixelColor(x, r.center().y()) == QColor(90, 90, 90);
        EXPECT_GT(hatch, r.width() / 20);
    }

    // The drive's totals, in the tree and the summary, are the scan's less the folder.
    EXPECT_EQ(root->now.allocated, rootBefore - stored);
    EXPECT_EQ(root->now.files, filesBefore - 2);
    EXPECT_EQ(window->folderModel()->indexOf(root, QtFolderTreeModel::kSize).data().toString(),
              QString::fromStdString(sizeText(rootBefore - stored)));
    const QLabel* summary = window->statusBar()->findChild<QLabel*>();
    EXPECT_TRUE(summary->text().contains(": " + QString::fromStdString(sizeText(rootBefore - stored)) + " used by"))
        << summary->text().toStdString();

    // Its files in the largest-files list went with it; a file trashed from
    // the list leaves its folders' totals.
    window->tabs()->setCurrentIndex(1);
    const QtLargestFilesModel& files = *window->filesModel();
    ASSERT_EQ(files.file(0)->name, "movie.bin");
    EXPECT_TRUE(files.index(0, 0).data(QtLargestFilesModel::kGoneRole).toBool());
    int logRow = 0;
    while (files.file(logRow) != nullptr && files.file(logRow)->name != "log") ++logRow;
    ASSERT_NE(files.file(logRow), nullptr);
    const FolderItem* grow = child(root, "grow");
    const std::uint64_t growBefore = grow->now.allocated;
    window->filesView()->setCurrentIndex(window->filesView()->model()->index(logRow, 0));
    {
        BoxAnswers yes({QMessageBox::Yes});
        window->moveSelectedToTrash();
    }
    EXPECT_TRUE(fs::exists(trashed / "files" / "log"));
    EXPECT_EQ(grow->now.allocated, growBefore - files.file(logRow)->allocated);
    EXPECT_EQ(root->now.allocated, rootBefore - stored - files.file(logRow)->allocated);

    // The scan's root is the drive itself: not offered, nothing asked.
    window->tabs()->setCurrentIndex(0);
    window->folderView()->setCurrentIndex(viewIndex(*window, window->currentFolder()));
    window->moveSelectedToTrash();
    EXPECT_TRUE(fs::exists(tree.path()));
    if (dataHome.isNull()) qunsetenv("XDG_DATA_HOME"); else qputenv("XDG_DATA_HOME", dataHome);
}

TEST_F(ResultsWindow, AFolderWhoseParentBecameALinkIsRefusedAndNothingMoves) {
    writeBytes(tree / "x" / "sub" / "kept", 4 << 10);
    store();
    TempDir elsewhere;
    writeBytes(elsewhere / "sub" / "not scanned", 4 << 10);
    fs::rename(tree / "x", tree / "x.old");
    fs::create_directory_symlink(elsewhere.path(), tree / "x");
    auto window = open();
    ASSERT_TRUE(window->goToFolder((tree / "x" / "sub").string()));
    BoxAnswers answers({QMessageBox::Ok});
    window->moveSelectedToTrash();
    ASSERT_EQ(answers.count(), 1u) << "refused before asking";
    EXPECT_EQ(answers.text(0).toStdString(), (tree / "x" / "sub").string() + " was not moved to the trash: " +
                                                 (tree / "x").string() +
                                                 " is a symbolic link, which is never followed.\n");
    EXPECT_TRUE(fs::exists(elsewhere / "sub" / "not scanned"));
    EXPECT_TRUE(fs::exists(tree / "x.old" / "sub" / "kept"));
    EXPECT_FALSE(window->currentFolder()->trashed);
}

TEST_F(ResultsWindow, OnAMountedDriveAFolderGoesToItsTrashUnlessItHoldsAMountWhichShowsAsOne) {
    std::string reason;
    if (!test::enterPrivateMountNamespace(reason)) GTEST_SKIP() << reason;
    test::mountTmpfs(tree.path());
    writeBytes(tree / "small" / "a", 10 << 10);
    writeBytes(tree / "holder" / "point" / "b", 1);
    test::mountTmpfs((tree / "holder" / "point").string());
    store();
    auto window = open();
    const auto trashFolder = [&](const std::string& name, std::vector<QMessageBox::StandardButton> buttons) {
        window->folderView()->setCurrentIndex(viewIndex(*window, child(window->currentFolder(), name)));
        BoxAnswers answers(std::move(buttons));
        window->moveSelectedToTrash();
        return answers.text(0).toStdString();
    };
    EXPECT_EQ(trashFolder("holder", {QMessageBox::Ok}),
              (tree / "holder").string() + " was not moved to the trash: another filesystem is mounted inside it, at " +
                  (tree / "holder" / "point").string() + ".\n");
    EXPECT_TRUE(fs::exists(tree / "holder" / "point"));
    // The mount point is a row of its own that says what it is.
    const FolderItem* holder = child(window->currentFolder(), "holder");
    window->folderView()->expand(viewIndex(*window, holder));
    QApplication::processEvents();
    const FolderItem* point = child(holder, "point");
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(point->now.allocated, 0u);
    EXPECT_EQ(holder->now.folders, 1u);
    EXPECT_EQ(window->folderModel()->indexOf(point).data(Qt::ToolTipRole).toString().toStdString(),
              (tree / "holder" / "point").string() + " (another filesystem, not entered)");

    trashFolder("small", {QMessageBox::Yes});
    EXPECT_TRUE(fs::exists(tree / ".Trash-0" / "files" / "small" / "a"));
    EXPECT_NE(test::readFile(tree / ".Trash-0" / "info" / "small.trashinfo").find("\nPath=small\n"), std::string::npos);
    EXPECT_TRUE(child(window->currentFolder(), "small")->trashed);
    ::umount2((tree / "holder" / "point").c_str(), MNT_DETACH);
    ::umount2(tree.path().c_str(), MNT_DETACH);
}

// Says what a real trash would after a drive that hung or a bound that ran out.
class ScriptedTrash : public TrashCan {
public:
    TrashCheck check(const TrashItem&, std::chrono::milliseconds) override { return checks.at(asked++); }
    TrashMove move(const TrashItem& item) override { return TrashMove{TrashRefusal{TrashRefusal::Reason::Gone, item.path, {}}, {}}; }
    std::vector<TrashCheck> checks;
    std::size_t asked = 0;
};

TEST_F(ResultsWindow, UnmeasuredTheBoxSaysAtLeastOrTheScansSizeAndDate) {
    store();
    ScriptedTrash scripted;
    scripted.checks = {TrashCheck{std::nullopt, {CurrentSize::Kind::AtLeast, 5 << 20}}, TrashCheck{}};
    trashCan = &scripted;
    auto window = open();
    const FolderItem* small = child(window->currentFolder(), "small");
    window->folderView()->setCurrentIndex(viewIndex(*window, small));
    BoxAnswers answers({QMessageBox::No, QMessageBox::Yes, QMessageBox::Ok});
    window->moveSelectedToTrash();
    window->moveSelectedToTrash();
    EXPECT_TRUE(answers.text(0).startsWith("Move \u201csmall\u201d (at least 5.0 MiB) to the trash?"))
        << answers.text(0).toStdString();
    const QString when = QDateTime::fromSecsSinceEpoch(std::chrono::system_clock::to_time_t(window->shownScan()->finished))
                             .toString("yyyy-MM-dd HH:mm:ss");
    EXPECT_TRUE(answers.text(1).startsWith("Move \u201csmall\u201d (" + QString::fromStdString(sizeText(small->now.allocated)) +
                                           " when scanned on " + when + ") to the trash?"))
        << answers.text(1).toStdString();
    EXPECT_TRUE(answers.text(2).contains("it is no longer there")) << answers.text(2).toStdString();
    EXPECT_FALSE(small->trashed);
}

TEST_F(ResultsWindow, WithNoTrashToBeFoundNothingIsMovedAnywhere) {
    // A data folder that cannot be made: Qt would then put the folder under the
    // current folder and call that the trash.
    test::writeFile(data / "plain-file", "x");
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((data / "plain-file" / "share").string()));
    TempDir elsewhere;
    const fs::path previous = fs::current_path();
    fs::current_path(elsewhere.path());
    store();
    auto window = open();
    const FolderItem* small = child(window->currentFolder(), "small");
    window->folderView()->setCurrentIndex(viewIndex(*window, small));
    BoxAnswers answers({QMessageBox::Yes, QMessageBox::Ok});
    window->moveSelectedToTrash();
    fs::current_path(previous);
    if (dataHome.isNull()) qunsetenv("XDG_DATA_HOME"); else qputenv("XDG_DATA_HOME", dataHome);
    EXPECT_TRUE(fs::exists(tree / "small" / "a"));
    EXPECT_FALSE(fs::exists(elsewhere / "files"));
    EXPECT_FALSE(fs::exists(elsewhere / "info"));
    EXPECT_TRUE(answers.text(1).contains("was not moved to the trash")) << answers.text(1).toStdString();
    EXPECT_FALSE(small->trashed);
}

TEST_F(ResultsWindow, LargestFilesOpenInTheFileManagerAndPathsAreCopied) {
    store();
    auto window = open();
    window->tabs()->setCurrentIndex(1);
    const QtLargestFilesModel& files = *window->filesModel();
    ASSERT_GE(files.rowCount(), 6);
    EXPECT_EQ(files.file(0)->path(), (tree / "big" / "movie.bin").string());
    EXPECT_EQ(files.index(0, QtLargestFilesModel::kSize).data().toString(), "3.0 MiB");

    window->filesView()->setCurrentIndex(window->filesView()->model()->index(0, 0));
    window->openSelectedInFileManager();
    window->copySelectedPath();
    ASSERT_EQ(fileManager.opened.size(), 1u);
    EXPECT_EQ(fileManager.opened[0], (tree / "big").string()) << "a file opens the folder that holds it";
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), (tree / "big" / "movie.bin").string());
}

TEST_F(ResultsWindow, CtrlFFiltersByNameAndCutNamesShowTheirPath) {
    store();
    auto window = open();
    QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(window->nameFilter()->hasFocus());
    QTest::keyClicks(window->nameFilter(), "GRO");
    const QModelIndex root = window->folderFilter()->index(0, 0);
    ASSERT_EQ(window->folderFilter()->rowCount(root), 1);
    EXPECT_EQ(window->folderFilter()->index(0, 0, root).data().toString(), "grow");
    QTest::keyClick(window->nameFilter(), Qt::Key_Escape);
    EXPECT_EQ(window->folderFilter()->rowCount(root), static_cast<int>(window->currentFolder()->children.size()));

    QTreeView& view = *window->folderView();
    view.setColumnWidth(QtFolderTreeModel::kName, 150);
    const FolderItem* longName = child(window->currentFolder(), "a folder with a name long enough to be cut");
    const FolderItem* small = child(window->currentFolder(), "small");
    const auto tipAt = [&](const FolderItem* folder) {
        const QRect cell = view.visualRect(viewIndex(*window, folder));
        QHelpEvent help(QEvent::ToolTip, cell.center(), view.viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(view.viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tipAt(small), QString());
    EXPECT_EQ(tipAt(longName).toStdString(), longName->path);
}

TEST_F(ResultsWindow, WithNoScansItSaysHowToMakeOne) {
    auto window = open(data / "none" / "scans.db");
    EXPECT_TRUE(window->showingEmptyState());
    bool told = false;
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        told = told || (label->isVisible() && label->text().contains("\"corvath-analyzer -auto\""));
    }
    EXPECT_TRUE(told);
    EXPECT_FALSE(fs::exists(data / "none"));

    // A file that is not ours is named as the reason, and left as it was.
    test::writeFile(data / "notes.db", "my notes\n");
    auto foreign = open(data / "notes.db");
    EXPECT_TRUE(foreign->showingEmptyState());
    EXPECT_EQ(test::readFile(data / "notes.db"), "my notes\n");
}

TEST_F(ResultsWindow, AnalyzeAgainStoresAndShowsTheNewScan) {
    store();
    auto window = open();
    ASSERT_TRUE(window->goToFolder((tree / "big").string()));
    const StoredScan first = *window->shownScan();
    writeBytes(tree / "big" / "second.bin", 2 << 20);
    window->analyzeAgain();
    ASSERT_NE(window->shownScan()->id, first.id);
    EXPECT_EQ(window->shownScan()->allocated - first.allocated, allocatedBytes(tree / "big" / "second.bin"));
    EXPECT_EQ(ScanReader(database.string()).scans().size(), 2u);
    EXPECT_EQ(window->currentFolder()->path, (tree / "big").string()) << "the folder shown stays";
}

TEST_F(ResultsWindow, AnalyzeAgainShowsProgressAndCancelStoresNothing) {
    store();
    std::vector<std::string> calls;
    std::uint64_t expected = 0;
    QString counts;
    int barValue = -1;
    const auto engines = [&](EventPump&) {
        auto engine = std::make_unique<test::FakeEngine>(calls);
        const auto dialog = [] { return qobject_cast<QDialog*>(QApplication::activeModalWidget()); };
        engine->scripts[tree.path().string()] = {
            {tree.path().string() + "/big/|3 files, 2 folders scanned", std::to_string(expected / 2),
             [&] {
                 QTest::qWait(250);  // a few of the dialog's ticks
                 if (QDialog* shown = dialog()) {
                     barValue = shown->findChild<QProgressBar*>()->value();
                     for (const QLabel* label : shown->findChildren<QLabel*>()) {
                         if (label->text().contains("files")) counts = label->text();
                     }
                 }
             }},
            {tree.path().string() + "/small/|4 files, 3 folders scanned", std::to_string(expected * 3 / 4),
             [&] {
                 if (QDialog* shown = dialog()) {
                     shown->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
                 }
             }},
        };
        return engine;
    };
    auto window = open(database, engines);
    const StoredScan first = *window->shownScan();
    expected = first.allocated;
    window->analyzeAgain();
    EXPECT_EQ(barValue, 50) << "half the bytes of the last scan";
    EXPECT_EQ(counts, "3 files, 2 folders");
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "CancelAnalysis"), 1);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "FinishDrive"), 0) << "a cancelled scan is not stored";
    EXPECT_EQ(window->shownScan()->id, first.id);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the progress is gone";
}

Shade shadeOf(const QColor& colour) {
    return {static_cast<std::uint8_t>(colour.red()), static_cast<std::uint8_t>(colour.green()),
            static_cast<std::uint8_t>(colour.blue())};
}

double contrastOn(const QColor& colour, const QColor& background) {
    return contrastRatio(shadeOf(colour), shadeOf(background));
}

// Breeze Dark's colours, as a dark desktop theme hands them to Qt.
QPalette darkPalette() {
    QPalette dark(QColor(49, 54, 59), QColor(42, 46, 50));
    dark.setColor(QPalette::Base, QColor(27, 30, 32));
    dark.setColor(QPalette::AlternateBase, QColor(35, 38, 41));
    dark.setColor(QPalette::Text, QColor(252, 252, 252));
    dark.setColor(QPalette::WindowText, QColor(252, 252, 252));
    dark.setColor(QPalette::Highlight, QColor(61, 174, 233));
    return dark;
}

// Painted as the user sees it: the cell's pixel that stands out most from the
// row is the text's colour.
QColor textColourIn(const QImage& shot, const QRect& cell, const QColor& background) {
    QColor best = background;
    for (int y = cell.top(); y <= cell.bottom(); ++y) {
        for (int x = cell.left(); x <= cell.right(); ++x) {
            const QColor pixel = shot.pixelColor(x, y);
            if (contrastOn(pixel, background) > contrastOn(best, background)) best = pixel;
        }
    }
    return best;
}

TEST_F(ResultsWindow, InADarkPaletteTheChangesAndTheHistoryStandOutFromTheirBackground) {
    store();
    writeBytes(tree / "grow" / "more", 1 << 20);
    fs::remove(tree / "big" / "movie.bin");
    store();
    auto window = open();
    const std::vector<StoredScan> scans = ScanReader(database.string()).scans();
    window->showScan(scans[1].id, scans[0].id);
    window->tabs()->setCurrentIndex(2);  // the chart made in the light palette follows the change
    window->tabs()->setCurrentIndex(0);
    QTreeView& view = *window->folderView();
    QFont large = view.font();
    large.setPixelSize(22);  // strokes wider than a pixel: their colour shows unblended
    view.setFont(large);
    view.setColumnWidth(QtFolderTreeModel::kName, 100);
    view.setColumnWidth(QtFolderTreeModel::kSize, 40);
    view.setColumnWidth(QtFolderTreeModel::kChange, 220);
    const FolderItem* top = window->currentFolder();

    for (const QPalette& palette : {QApplication::palette(), darkPalette()}) {
        window->setPalette(palette);
        QApplication::processEvents();
        const QColor base = palette.color(QPalette::Base);
        const QImage shot = view.viewport()->grab().toImage();
        for (const auto& [name, grew] : {std::pair{"grow", true}, std::pair{"big", false}}) {
            const QRect cell = view.visualRect(viewIndex(*window, child(top, name)).siblingAtColumn(QtFolderTreeModel::kChange));
            const QColor text = textColourIn(shot, cell, base);
            EXPECT_GE(contrastOn(text, base), kReadableContrast) << name << " on " << base.name().toStdString();
            EXPECT_GT(grew ? text.red() - text.green() : text.green() - text.red(), 40) << text.name().toStdString();
        }
        // The share's bar keeps clear of the percentage written over it.
        const QRect share = view.visualRect(viewIndex(*window, child(top, "grow")).siblingAtColumn(QtFolderTreeModel::kShare));
        EXPECT_GE(contrastOn(shot.pixelColor(share.left() + 6, share.center().y()), palette.color(QPalette::Text)),
                  kReadableContrast);
    }

    window->tabs()->setCurrentIndex(2);
    QChart* chart = window->historyChart()->chartView()->chart();
    const QColor base = darkPalette().color(QPalette::Base);
    EXPECT_EQ(chart->backgroundBrush().color(), base);
    for (QAbstractAxis* axis : chart->axes()) {
        EXPECT_GE(contrastOn(axis->labelsBrush().color(), base), kReadableContrast);
        EXPECT_GE(contrastOn(axis->titleBrush().color(), base), kReadableContrast);
    }
    EXPECT_GE(contrastOn(chart->titleBrush().color(), base), kReadableContrast);
    for (QAbstractSeries* series : chart->series()) {
        const QColor colour = qobject_cast<QXYSeries*>(series)->color();
        EXPECT_GE(contrastOn(colour, base), kReadableContrast) << colour.name().toStdString();
    }
    const QImage chartShot = window->historyChart()->chartView()->grab().toImage();
    EXPECT_EQ(chartShot.pixelColor(2, 2), base) << "not Qt Charts' white";
}

// The chart's points as a table the keyboard and a screen reader can use; and
// every control of the window has a name to be spoken.
TEST_F(ResultsWindow, TheHistoryIsATableTooAndEveryControlHasAName) {
    store();
    writeBytes(tree / "grow" / "more", 1 << 20);
    store();
    auto window = open();
    window->tabs()->setCurrentIndex(2);
    const std::vector<StoredScan> scans = ScanReader(database.string()).scans();
    QTreeWidget& table = *window->historyChart()->table();
    ASSERT_EQ(table.topLevelItemCount(), 2);
    // Newest first, as the scan choice lists them; the shown scan is current.
    EXPECT_EQ(table.topLevelItem(0)->text(1).toStdString(), sizeText(scans[1].allocated));
    EXPECT_EQ(table.topLevelItem(0)->text(3).toStdString(),
              sizeChangeText(static_cast<std::int64_t>(scans[1].allocated) - static_cast<std::int64_t>(scans[0].allocated)));
    EXPECT_EQ(table.currentItem(), table.topLevelItem(0));
    table.setFocus();
    table.setCurrentItem(table.topLevelItem(1));
    QTest::keyClick(&table, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(window->shownScan()->id, scans[0].id) << "Enter on a row shows that scan";

    int named = 0;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(window.get())) continue;
        const bool control = qobject_cast<QAbstractButton*>(widget) || qobject_cast<QComboBox*>(widget) ||
                             qobject_cast<QLineEdit*>(widget) || qobject_cast<QAbstractItemView*>(widget) ||
                             qobject_cast<QTabWidget*>(widget) || qobject_cast<QLabel*>(widget) ||
                             qobject_cast<QChartView*>(widget) || qobject_cast<QStatusBar*>(widget);
        if (!control || qobject_cast<QAbstractItemView*>(widget->parentWidget())) continue;
        QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(shown, nullptr);
        EXPECT_FALSE(shown->text(QAccessible::Name).isEmpty() && shown->role() != QAccessible::StaticText)
            << widget->metaObject()->className() << " " << widget->objectName().toStdString();
        ++named;
    }
    EXPECT_GT(named, 12);
}

// One rule for the folders counted: the folder itself and every folder below,
// as find counts; the scan, its summary, its root row and corvath-report agree.
TEST_F(ResultsWindow, TheFoldersCountedAgreeEverywhere) {
    store();
    const std::string root = tree.path().string();
    const std::uint64_t found = test::referenceFor(tree.path()).folders;  // find -xdev -type d
    const QString folders = QLocale().toString(static_cast<qulonglong>(found));
    auto window = open();
    const QString rootRow = window->folderModel()->rootIndex().siblingAtColumn(QtFolderTreeModel::kFolders).data().toString();
    EXPECT_EQ(rootRow, folders);
    EXPECT_EQ(window->shownScan()->folders, found);
    EXPECT_TRUE(window->statusBar()->findChild<QLabel*>()->text().contains(" in " + folders + " folders"));
    const auto reported = [&](const std::string& arguments) {
        const std::string out = test::runCommand(std::string(CORVATH_REPORT_BINARY) + " --database " +
                                                 test::shellQuote(database.string()) + " " + arguments);
        const auto at = out.find("\"folders\":");
        if (at == std::string::npos) return std::string();
        const auto from = out.find_first_not_of(' ', at + 10);
        return out.substr(from, out.find_first_of(",}", from) - from);
    };
    EXPECT_EQ(reported("scans --json"), std::to_string(found));
    EXPECT_EQ(reported("top --json -n 1 " + test::shellQuote(root)), std::to_string(found));
}

// The largest files of the folder the treemap shows, written as every date of
// the window is; a folder with files none of which the scan kept says so.
TEST_F(ResultsWindow, LargestFilesFollowTheChosenFolderAndSayWhenNoneWasKept) {
    for (int i = 0; i < 1000; ++i) writeBytes(tree / "many" / std::to_string(i), 5000);
    writeBytes(tree / "tiny" / "empty", 0);
    store();
    auto window = open();
    ASSERT_TRUE(window->goToFolder((tree / "big").string()));
    window->tabs()->setCurrentIndex(1);
    const QtLargestFilesModel& files = *window->filesModel();
    ASSERT_EQ(files.rowCount(), 2);  // movie.bin and inner/notes
    EXPECT_EQ(files.file(0)->path(), (tree / "big" / "movie.bin").string());
    EXPECT_TRUE(window->filesNote().contains(QString::fromStdString((tree / "big").string())));
    const QRegularExpression when(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"));
    EXPECT_TRUE(when.match(files.index(0, QtLargestFilesModel::kModified).data().toString()).hasMatch());
    const QString scanChoice = window->findChildren<QComboBox*>().at(1)->currentText();
    EXPECT_TRUE(when.match(scanChoice.section(QLatin1Char(','), 0, 0)).hasMatch()) << scanChoice.toStdString();

    window->tabs()->setCurrentIndex(0);
    ASSERT_TRUE(window->goToFolder((tree / "tiny").string()));
    window->tabs()->setCurrentIndex(1);
    EXPECT_EQ(files.rowCount(), 0);
    EXPECT_EQ(window->filesNote(), QString::fromStdString("Files in " + (tree / "tiny").string() +
                                                          ": 1, none of them among the 1,000 largest files the scan keeps"));
}

}  // namespace
}  // namespace corvath
