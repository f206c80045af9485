#include "qt/qt_results_window.h"

#include "engine/largest_files.h"
#include "qt/folder_item.h"
#include "qt/qt_accessible_roles.h"
#include "qt/qt_shown_text.h"
#include "qt/qt_treemap_accessible.h"
#include "qt/qt_folder_filter_model.h"
#include "qt/qt_folder_search.h"
#include "qt/qt_folder_tree_model.h"
#include "qt/qt_date_text.h"
#include "qt/qt_elided_label.h"
#include "qt/qt_history_chart.h"
#include "qt/qt_largest_files_model.h"
#include "qt/qt_look.h"
#include "qt/qt_rescan_dialog.h"
#include "qt/qt_results_delegate.h"
#include "qt/qt_treemap_widget.h"
#include "qt/qt_tree_opener.h"
#include "results/results_error.h"
#include "ui/growth_shade.h"
#include "ui/results_texts.h"

#include "qt/qt_excludes_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>

#include <array>
#include <chrono>

namespace corvath {
namespace {

enum Page { kEmptyPage, kResultsPage };


// What the window says when there is nothing to show yet.
QString noScansHelp() {
    return QtResultsWindow::tr("Analyze a drive first: start Corvath Analyzer and choose the drives to analyze, or "
                               "run \"corvath-analyzer -auto\" to analyze the remembered drives without a window. "
                               "The results appear here.");
}

QString durationText(const StoredScan& scan) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(scan.finished - scan.started).count();
    if (seconds < 60) return QObject::tr("%1 s").arg(std::max<long long>(seconds, 0));
    return QObject::tr("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
}

}  // namespace

QtResultsWindow::QtResultsWindow(std::string databasePath, FileManager& fileManager, TrashCan& trash,
                                 PumpedEngineFactory makeEngine, QWidget* parent)
    : QMainWindow(parent),
      databasePath_(std::move(databasePath)),
      fileManager_(fileManager),
      trash_(trash),
      makeEngine_(std::move(makeEngine)) {
    installAccessibleRoles();
    installTreemapAccessibility();
    buildControls();
    buildSearch();
    reload();
}

QtResultsWindow::~QtResultsWindow() {
    // The model refers to the reader: it goes first.
    model_->clear();
}

void QtResultsWindow::showEmptyState(const QString& text) {
    emptyText_->setText(text);
    // The page's layout would give the wrapped text a single line.
    emptyText_->setMinimumHeight(emptyText_->heightForWidth(emptyText_->width()));
    pages_->setCurrentIndex(kEmptyPage);
    summary_->clear();
}

bool QtResultsWindow::showingEmptyState() const { return pages_->currentIndex() == kEmptyPage; }

void QtResultsWindow::reload() {
    const std::string keepPath = current_ != nullptr ? current_->path : std::string();
    const std::string keepDrive = shown_ ? shown_->driveKey : std::string();
    model_->clear();
    filesModel_->setFiles({});
    current_ = nullptr;
    shown_.reset();
    earlier_.reset();
    driveScans_.clear();
    reader_.reset();

    std::vector<StoredScan> latest;
    try {
        reader_ = std::make_unique<ScanReader>(databasePath_);
        latest = reader_->latestScans();
    } catch (const NoResultsYet&) {
        reader_.reset();
        showEmptyState(noScansHelp());
        return;
    } catch (const ResultsError& failure) {
        reader_.reset();
        showEmptyState(tr("The scans cannot be shown: %1").arg(QString::fromUtf8(failure.what())));
        return;
    }
    if (latest.empty()) {
        showEmptyState(noScansHelp());
        return;
    }
    pages_->setCurrentIndex(kResultsPage);

    // The drive shown before, else the one scanned last.
    const StoredScan* wanted = &latest.front();
    for (const StoredScan& scan : latest) {
        if (scan.finished > wanted->finished) wanted = &scan;
    }
    for (const StoredScan& scan : latest) {
        if (scan.driveKey == keepDrive) wanted = &scan;
    }
    const QSignalBlocker block(drives_);
    drives_->clear();
    for (const StoredScan& scan : latest) {
        // Named where it was mounted last; its scans are found by its key wherever it was mounted.
        drives_->addItem(driveIcon(QStringLiteral("drive-harddisk")), QString::fromStdString(scan.drive),
                         QString::fromStdString(scan.driveKey));
        if (scan.driveKey == wanted->driveKey) drives_->setCurrentIndex(drives_->count() - 1);
    }
    drives_->setEnabled(latest.size() > 1);
    driveChosen(drives_->currentIndex());
    if (!keepPath.empty() && shown_ && keepPath.compare(0, shown_->root.size(), shown_->root) == 0) {
        goToFolder(keepPath);
    }
    tree_->setFocus();
}

void QtResultsWindow::driveChosen(int index) {
    if (!reader_ || index < 0) return;
    const std::string drive = drives_->itemData(index).toString().toStdString();
    try {
        driveScans_ = reader_->scans(drive);
    } catch (const ResultsError& failure) {
        showFailure(QString::fromUtf8(failure.what()));
        return;
    }
    if (driveScans_.empty()) return;
    showScan(driveScans_.back().id);
}

void QtResultsWindow::scanChosen(int index) {
    if (index >= 0) showScan(scans_->itemData(index).toLongLong());
}

void QtResultsWindow::compareChosen(int index) {
    if (!shown_ || index < 0) return;
    const qlonglong id = compare_->itemData(index).toLongLong();
    showScan(shown_->id, id > 0 ? std::optional<std::int64_t>(id) : std::nullopt);
}

void QtResultsWindow::showScan(std::int64_t id, std::optional<std::int64_t> earlierId) {
    const auto find = [this](std::int64_t wanted) -> std::optional<StoredScan> {
        for (const StoredScan& scan : driveScans_) {
            if (scan.id == wanted) return scan;
        }
        return std::nullopt;
    };
    const std::optional<StoredScan> scan = find(id);
    if (!scan) return;
    const std::string keepPath =
        current_ != nullptr && shown_ && shown_->driveKey == scan->driveKey && shown_->root == scan->root ? current_->path
                                                                                                          : "";
    shown_ = scan;
    trashed_ = {};
    trashedFolders_.clear();
    trashedFiles_.clear();
    earlier_ = earlierId ? find(*earlierId) : std::nullopt;
    if (earlier_ && earlier_->finished >= shown_->finished) earlier_.reset();

    {
        const QSignalBlocker block(scans_);
        scans_->clear();
        for (auto it = driveScans_.rbegin(); it != driveScans_.rend(); ++it) {
            QString text = tr("%1, %2").arg(whenText(it->finished), sizeLabel(it->allocated));
            if (it == driveScans_.rbegin()) text += tr(" (latest)");
            scans_->addItem(text, static_cast<qlonglong>(it->id));
            if (it->id == shown_->id) scans_->setCurrentIndex(scans_->count() - 1);
        }
    }
    fillCompareChoices();
    showModel(keepPath);
    searchShownScan();
    filesLoaded_ = false;
    historyLoaded_ = false;
    loadSideTabs();
    updateSummary();
}

void QtResultsWindow::fillCompareChoices() {
    const QSignalBlocker block(compare_);
    compare_->clear();
    compare_->addItem(tr("Nothing"), qlonglong{0});
    for (auto it = driveScans_.rbegin(); it != driveScans_.rend(); ++it) {
        if (it->id == shown_->id || it->finished >= shown_->finished) continue;
        compare_->addItem(tr("%1, %2").arg(whenText(it->finished), sizeLabel(it->allocated)),
                          static_cast<qlonglong>(it->id));
        if (earlier_ && it->id == earlier_->id) compare_->setCurrentIndex(compare_->count() - 1);
    }
    compare_->setEnabled(compare_->count() > 1);
    onlyChanged_->setEnabled(earlier_.has_value());
}

void QtResultsWindow::showModel(const std::string& keepPath) {
    current_ = nullptr;
    treemap_->showFolder(nullptr, false);
    try {
        model_->showScan(*reader_, *shown_, earlier_);
    } catch (const ResultsError& failure) {
        model_->clear();
        showFailure(QString::fromUtf8(failure.what()));
        return;
    }
    tree_->setColumnHidden(QtFolderTreeModel::kChange, !earlier_);
    filter_->setOnlyChanged(earlier_ && onlyChanged_->isChecked());
    const QModelIndex root = model_->rootIndex();
    model_->ensureFetched(root);
    tree_->expand(filter_->mapFromSource(root));
    if (!keepPath.empty() && goToFolder(keepPath)) return;
    setCurrentFolder(model_->item(root), model_->item(root));
    selectInTree(model_->item(root));
}

QModelIndex QtResultsWindow::viewIndexOf(const FolderItem* folder) const {
    return filter_->mapFromSource(model_->indexOf(folder));
}

void QtResultsWindow::selectInTree(const FolderItem* folder) {
    const QModelIndex index = viewIndexOf(folder);
    if (!index.isValid()) return;
    steering_ = true;
    tree_->setCurrentIndex(index);
    tree_->scrollTo(index);
    steering_ = false;
}

bool QtResultsWindow::goToFolder(const std::string& path) {
    const QModelIndex index = model_->findPath(path);
    const FolderItem* folder = model_->item(index);
    if (folder == nullptr) return false;
    enterFolder(folder);
    return true;
}

void QtResultsWindow::enterFolder(const FolderItem* folder) {
    model_->ensureFetched(model_->indexOf(folder));
    std::vector<const FolderItem*> way;
    for (const FolderItem* at = folder; at != nullptr; at = at->parent) way.push_back(at);
    for (auto it = way.rbegin(); it != way.rend(); ++it) tree_->expand(viewIndexOf(*it));
    current_ = folder;
    refreshTreemap();
    // The folder entered fills the map now: it is the block highlighted, as
    // it is the tree's current row.
    treemap_->selectFolder(folder);
    selectInTree(folder);
}

void QtResultsWindow::goUp() {
    if (current_ == nullptr || current_->parent == nullptr) return;
    const FolderItem* left = current_;
    setCurrentFolder(current_->parent, left);
    selectInTree(left);
}

void QtResultsWindow::treeCurrentChanged(const QModelIndex& current) {
    if (steering_) return;
    const FolderItem* folder = model_->item(filter_->mapToSource(current));
    if (folder == nullptr) return;
    // The map highlights the tree's current row: where the map draws it already
    // (nested, or as the whole map) the map stays; else it shows the row among
    // its siblings, in its parent.
    if (treemap_->blockOf(folder) >= 0) {
        treemap_->selectFolder(folder);
    } else {
        setCurrentFolder(folder->parent != nullptr ? folder->parent : folder, folder);
    }
}

void QtResultsWindow::setCurrentFolder(const FolderItem* folder, const FolderItem* selected) {
    if (folder != current_) {
        model_->ensureFetched(model_->indexOf(folder));
        current_ = folder;
        refreshTreemap();
    }
    treemap_->selectFolder(selected);
}

void QtResultsWindow::refreshTreemap() { treemap_->showFolder(current_, model_->comparing()); }

void QtResultsWindow::treemapClicked(const FolderItem* folder) {
    if (folder == nullptr || current_ == nullptr) return;
    // A nested block's row shows with the folders above it open.
    for (const FolderItem* at = folder->parent; at != nullptr && at != current_->parent; at = at->parent) {
        tree_->expand(viewIndexOf(at));
    }
    selectInTree(folder);
}

void QtResultsWindow::treemapActivated(const FolderItem* folder) {
    if (folder != nullptr && !folder->gone()) enterFolder(folder);
}

void QtResultsWindow::loadSideTabs() {
    if (!reader_ || !shown_) return;
    QWidget* page = tabs_->currentWidget();
    try {
        if (page == filesPage_) {
            loadLargestFiles();
        } else if (page == tabs_->widget(2) && !historyLoaded_) {
            if (history_ == nullptr) {
                history_ = new QtHistoryChart(page);
                page->layout()->addWidget(history_);
                // Queued: showing the scan redraws the chart whose point was clicked.
                connect(
                    history_, &QtHistoryChart::scanPicked, this, [this](std::int64_t id) { showScan(id); },
                    Qt::QueuedConnection);
            }
            history_->setScans(driveScans_, shown_->id);
            historyLoaded_ = true;
        }
    } catch (const ResultsError& failure) {
        showFailure(QString::fromUtf8(failure.what()));
    }
}

// The largest files of the current folder (the one the treemap shows), as
// far as the scan kept them.
void QtResultsWindow::loadLargestFiles() {
    const FolderItem* chosen = current_;
    if (chosen == nullptr || (filesLoaded_ && filesFolder_ == chosen->path)) return;
    filesModel_->setFiles(reader_->largestFiles(*shown_, chosen->path, LargestFiles::kKept));
    for (const std::string& folder : trashedFolders_) filesModel_->markTrashedBelow(folder);
    for (int row = 0; row < filesModel_->rowCount(); ++row) {
        const std::string path = filesModel_->file(row)->path();
        if (std::find(trashedFiles_.begin(), trashedFiles_.end(), path) != trashedFiles_.end()) {
            filesModel_->markTrashed(row);
        }
    }
    filesFolder_ = chosen->path;
    filesLoaded_ = true;
    const QLocale locale;
    const QString kept = locale.toString(static_cast<qulonglong>(LargestFiles::kKept));
    const StoredFolder& shown = chosen->gone() ? chosen->before : chosen->now;
    // A folder whose files are all smaller than the scan's smallest kept one
    // would look empty: it says so instead.
    if (filesModel_->rowCount() == 0 && shown.files > 0) {
        filesNote_->setFullText(tr("Files in %2: %1, none of them among the %3 largest files the scan keeps")
                                    .arg(locale.toString(static_cast<qulonglong>(shown.files)),
                                         fromBytes(chosen->path), kept));
    } else {
        filesNote_->setFullText(tr("The largest files in %1, of the %2 largest the scan keeps")
                                    .arg(fromBytes(chosen->path), kept));
    }
}

QString QtResultsWindow::filesNote() const { return filesNote_->text(); }

void QtResultsWindow::updateSummary() {
    if (!shown_) {
        summary_->clear();
        return;
    }
    const QLocale locale;
    // The scan less what has gone to the trash since, as the tree shows it.
    const auto less = [](std::uint64_t total, std::uint64_t part) { return total - std::min(total, part); };
    const std::uint64_t allocated = less(shown_->allocated, trashed_.allocated);
    QString text = tr("%1: %2 used by %3 files in %4 folders, scanned %5 in %6")
                       .arg(QString::fromStdString(shown_->drive), sizeLabel(allocated),
                            locale.toString(static_cast<qulonglong>(less(shown_->files, trashed_.files))),
                            locale.toString(static_cast<qulonglong>(less(shown_->folders, trashed_.folders))),
                            whenText(shown_->finished), durationText(*shown_));
    if (shown_->errors > 0) {
        text += tr("; %1 could not be read").arg(locale.toString(static_cast<qulonglong>(shown_->errors)));
    }
    // What the system counts beside what was counted: the gap is what could
    // not be read or was left out.
    if (shown_->driveUsed) text += tr("; %1 in use on the drive").arg(sizeLabel(*shown_->driveUsed));
    if (!shown_->excludes.empty()) {
        text += tr("; %n folder pattern(s) left out", nullptr, static_cast<int>(shown_->excludes.size()));
    }
    if (earlier_) {
        const auto grown = static_cast<std::int64_t>(allocated) - static_cast<std::int64_t>(earlier_->allocated);
        text += tr("; %1 since %2").arg(sizeChangeLabel(grown), whenText(earlier_->finished));
        if (excludesDiffer(*earlier_, *shown_)) {
            text += tr(" (not like for like: the two scans left out different folders)");
        }
    }
    summary_->setFullText(text);
}

void QtResultsWindow::setSettingsStore(RegistryStore* store) {
    settings_ = store;
    excludes_->setEnabled(store != nullptr);
}

void QtResultsWindow::editExcludedFolders() {
    if (settings_ == nullptr) return;
    QtExcludesDialog dialog(*settings_, this);
    dialog.exec();
}

void QtResultsWindow::showFailure(const QString& text) {
    QMessageBox::warning(this, QString::fromUtf8(kResultsName), text);
}

std::optional<ActionTarget> QtResultsWindow::selectedTarget(bool* isFile, int* fileRow,
                                                             const FolderItem** folder) const {
    if (pages_->currentIndex() != kResultsPage) return std::nullopt;
    if (tabs_->currentWidget() == filesPage_) {
        const int row = filesFilter_->mapToSource(files_->currentIndex()).row();
        const StoredFile* file = filesModel_->file(row);
        if (file == nullptr || filesModel_->index(row, 0).data(QtLargestFilesModel::kGoneRole).toBool()) {
            return std::nullopt;
        }
        if (isFile != nullptr) *isFile = true;
        if (fileRow != nullptr) *fileRow = row;
        return ActionTarget{file->path(), file->allocated, false, shown_->root, shown_->finished};
    }
    if (tabs_->currentIndex() != 0) return std::nullopt;
    // The block of the folder's own files stands for no single item.
    if (treemap_->hasFocus() && treemap_->ownFilesSelected()) return std::nullopt;
    const FolderItem* item = model_->item(filter_->mapToSource(tree_->currentIndex()));
    if (item == nullptr || item->gone() || item->trashed) return std::nullopt;
    if (isFile != nullptr) *isFile = false;
    if (folder != nullptr) *folder = item;
    return ActionTarget{item->path, item->now.allocated, true, shown_->root, shown_->finished};
}

void QtResultsWindow::showMenu(const QPoint& globalPosition) {
    const FolderItem* folder = nullptr;
    const auto target = selectedTarget(nullptr, nullptr, &folder);
    QMenu menu(this);
    for (QAction* action : actions()) {
        menu.addAction(action);
        action->setEnabled(target.has_value());
    }
    // The scan's root is the drive itself: never offered for the trash.
    if (folder != nullptr && folder->parent == nullptr) trashAction_->setEnabled(false);
    menu.exec(globalPosition);
    for (QAction* action : actions()) action->setEnabled(true);
}

void QtResultsWindow::openSelectedInFileManager() {
    if (const auto target = selectedTarget()) openInFileManager(fileManager_, *target);
}

void QtResultsWindow::copySelectedPath() {
    if (const auto target = selectedTarget()) copyPath(*target);
}

void QtResultsWindow::moveSelectedToTrash() {
    bool isFile = false;
    int row = -1;
    const FolderItem* folder = nullptr;
    const auto target = selectedTarget(&isFile, &row, &folder);
    if (!target || (!isFile && (folder == nullptr || folder->parent == nullptr))) return;
    if (!moveToTrashAfterAsking(this, trash_, *target)) return;
    // The tree, the treemap and the summary count what went no more.
    if (isFile) {
        const StoredFile file = *filesModel_->file(row);
        filesModel_->markTrashed(row);
        trashedFiles_.push_back(file.path());
        model_->fileTrashed(file);
        trashed_.allocated += file.allocated;
        trashed_.apparent += file.apparent;
        trashed_.files += 1;
    } else {
        const TakenOut taken{folder->now.allocated, folder->now.apparent, folder->now.files, folder->now.folders + 1};
        model_->markTrashed(model_->indexOf(folder));
        filesModel_->markTrashedBelow(folder->path);
        trashedFolders_.push_back(folder->path);
        trashed_.allocated += taken.allocated;
        trashed_.apparent += taken.apparent;
        trashed_.files += taken.files;
        trashed_.folders += taken.folders;
    }
    refreshTreemap();
    updateSummary();
}

void QtResultsWindow::analyzeAgain() {
    if (!shown_ || rescan_ != nullptr) return;
    // Where the drive was mounted at its latest scan.
    const std::string drive = driveScans_.empty() ? shown_->drive : driveScans_.back().drive;
    QtRescanDialog dialog(drive, driveScans_.empty() ? shown_->allocated : driveScans_.back().allocated, this);
    rescan_ = &dialog;
    again_->setEnabled(false);
    const RescanOutcome outcome = dialog.run(makeEngine_);
    rescan_ = nullptr;
    again_->setEnabled(true);
    if (closeAfterRescan_) {
        close();
        return;
    }
    if (outcome.kind == RescanOutcome::Kind::Failed) {
        showFailure(tr("%1 could not be analyzed again: %2").arg(QString::fromStdString(drive), outcome.message));
        return;
    }
    // Opened afresh, as any other reader would see the new scan; the drive and
    // the folder shown stay.
    if (outcome.kind == RescanOutcome::Kind::Stored) reload();
}

void QtResultsWindow::closeEvent(QCloseEvent* event) {
    // A scan runs in a loop nested in this window's: it ends first.
    if (rescan_ != nullptr) {
        closeAfterRescan_ = true;
        rescan_->cancel();
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

bool QtResultsWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QMainWindow::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (watched == filterEdit_ && key == Qt::Key_Escape && !filterEdit_->text().isEmpty()) {
        filterEdit_->clear();
        return true;
    }
    if (watched == tree_ && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        const FolderItem* folder = model_->item(filter_->mapToSource(tree_->currentIndex()));
        if (folder != nullptr && !folder->gone()) enterFolder(folder);
        return true;
    }
    if (watched == tree_ && key == Qt::Key_Backspace) {
        goUp();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace corvath
