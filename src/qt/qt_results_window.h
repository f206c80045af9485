#pragma once

#include <QMainWindow>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "qt/qt_item_actions.h"
#include "qt/qt_wizard_application.h"
#include "results/scan_reader.h"
#include "qt/folder_item.h"
#include "run/file_manager.h"
#include "run/trash_can.h"
#include "settings/registry_store.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QStackedWidget;
class QTabWidget;
class QVBoxLayout;
class QTreeView;

namespace corvath {

class QtElidedLabel;
class QtFolderFilterModel;
class QtFolderSearch;
class QtFolderTreeModel;
class QtHistoryChart;
class QtLargestFilesModel;
class QtRescanDialog;
class QtTreemapWidget;
class QtTreeOpener;

// The results window: the stored scans of each drive as a folder tree beside a
// treemap of the current folder, the scan's largest files and the drive's
// history, compared with an earlier scan on request.
class QtResultsWindow : public QMainWindow {
    Q_OBJECT
public:
    QtResultsWindow(std::string databasePath, FileManager& fileManager, TrashCan& trash,
                    PumpedEngineFactory makeEngine, QWidget* parent = nullptr);
    ~QtResultsWindow() override;

    // Opens the database again and shows the latest scan of the drive shown
    // (else of the drive scanned last); the empty state when there is none.
    void reload();

    // What the window shows, for its callers and tests.
    bool showingEmptyState() const;
    std::optional<StoredScan> shownScan() const { return shown_; }
    std::optional<StoredScan> earlierScan() const { return earlier_; }
    const FolderItem* currentFolder() const { return current_; }
    // Shows a scan of the shown drive; compares it with an earlier one when given.
    void showScan(std::int64_t id, std::optional<std::int64_t> earlierId = std::nullopt);
    // Makes the folder at that path the current one; false when the scan has none.
    bool goToFolder(const std::string& path);
    void goUp();

    QTreeView* folderView() const { return tree_; }
    QtTreemapWidget* treemap() const { return treemap_; }
    QtFolderTreeModel* folderModel() const { return model_; }
    QtFolderFilterModel* folderFilter() const { return filter_; }
    QTreeView* filesView() const { return files_; }
    // Which folder's largest files are listed, or why there are none.
    QString filesNote() const;
    QtLargestFilesModel* filesModel() const { return filesModel_; }
    QtHistoryChart* historyChart() const { return history_; }
    QTabWidget* tabs() const { return tabs_; }
    QLineEdit* nameFilter() const { return filterEdit_; }
    QCheckBox* onlyChangedBox() const { return onlyChanged_; }
    QtFolderSearch* folderSearch() const { return search_; }
    // Says what a search or "only what changed" did not open; hidden when nothing.
    QLabel* searchNote() const { return searchNote_; }

    // "Only what changed" opens the tree to at most this many changed folders,
    // the largest changes: each reads the folders on its way.
    static constexpr std::size_t kMostChangesOpened = 1000;

    // The action on the selected folder or file: the one of the view with focus.
    void moveSelectedToTrash();
    void copySelectedPath();
    void openSelectedInFileManager();
    void analyzeAgain();
    // Where the "Excluded Folders..." button keeps its patterns; without one
    // (the default) the button is disabled.
    void setSettingsStore(RegistryStore* store);
    QPushButton* excludesButton() const { return excludes_; }
    void editExcludedFolders();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    QWidget* buildEmptyPage();
    void buildChoiceBars(QWidget* results, QVBoxLayout* layout);
    QWidget* buildFoldersTab(QWidget* results);
    void buildFilesTab(QWidget* results);
    void connectControls();
    void addShortcuts();
    void showEmptyState(const QString& text);
    void driveChosen(int index);
    void scanChosen(int index);
    void compareChosen(int index);
    void showModel(const std::string& keepPath);
    void fillCompareChoices();
    void treeCurrentChanged(const QModelIndex& current);
    void setCurrentFolder(const FolderItem* folder, const FolderItem* selected);
    void enterFolder(const FolderItem* folder);
    void refreshTreemap();
    void treemapClicked(const FolderItem* folder);
    void treemapActivated(const FolderItem* folder);
    void loadSideTabs();
    void loadLargestFiles();
    void showFailure(const QString& text);
    void showMenu(const QPoint& globalPosition);
    QModelIndex viewIndexOf(const FolderItem* folder) const;
    void selectInTree(const FolderItem* folder);
    std::optional<ActionTarget> selectedTarget(bool* isFile = nullptr, int* fileRow = nullptr,
                                               const FolderItem** folder = nullptr) const;
    void updateSummary();
    // The search of the whole scan and "only what changed" (qt_results_search.cpp).
    void buildSearch();
    void nameFilterChanged(const QString& text);
    void searchFound(const QString& text, const FolderMatches& matches);
    void onlyChangedToggled(bool only);
    void searchShownScan();
    void openChanges();
    void updateSearchNote();

    std::string databasePath_;
    FileManager& fileManager_;
    TrashCan& trash_;
    PumpedEngineFactory makeEngine_;
    std::unique_ptr<ScanReader> reader_;

    std::vector<StoredScan> driveScans_;  // of the drive shown, oldest first
    std::optional<StoredScan> shown_;
    std::optional<StoredScan> earlier_;
    TakenOut trashed_;  // of the shown scan, moved to the trash since it was shown
    std::vector<std::string> trashedFolders_;  // their files in the largest-files list went too
    std::vector<std::string> trashedFiles_;    // files of the largest-files list moved to the trash
    const FolderItem* current_ = nullptr;  // the folder the treemap shows
    bool steering_ = false;                // the window moves the tree's selection itself
    bool filesLoaded_ = false;
    std::string filesFolder_;  // the folder whose largest files are listed
    bool historyLoaded_ = false;
    QtRescanDialog* rescan_ = nullptr;
    bool closeAfterRescan_ = false;

    QStackedWidget* pages_ = nullptr;
    QLabel* emptyText_ = nullptr;
    QComboBox* drives_ = nullptr;
    QComboBox* scans_ = nullptr;
    QComboBox* compare_ = nullptr;
    QCheckBox* onlyChanged_ = nullptr;
    QLineEdit* filterEdit_ = nullptr;
    QPushButton* again_ = nullptr;
    QPushButton* excludes_ = nullptr;
    RegistryStore* settings_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QTreeView* tree_ = nullptr;
    QtTreemapWidget* treemap_ = nullptr;
    QWidget* filesPage_ = nullptr;
    QtElidedLabel* filesNote_ = nullptr;
    QTreeView* files_ = nullptr;
    QtHistoryChart* history_ = nullptr;
    QtFolderTreeModel* model_ = nullptr;
    QtFolderFilterModel* filter_ = nullptr;
    QtLargestFilesModel* filesModel_ = nullptr;
    QSortFilterProxyModel* filesFilter_ = nullptr;
    QtElidedLabel* summary_ = nullptr;
    QAction* trashAction_ = nullptr;
    QtFolderSearch* search_ = nullptr;
    std::unique_ptr<QtTreeOpener> searchOpener_;
    std::unique_ptr<QtTreeOpener> changesOpener_;
    QLabel* searchNote_ = nullptr;
    QString foundNote_;
    QString changesNote_;
};

}  // namespace corvath
