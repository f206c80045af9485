// The results window's controls and their connections.
#include "qt/qt_results_window.h"
#include "engine/largest_files.h"
#include "qt/folder_item.h"
#include "qt/qt_folder_filter_model.h"
#include "qt/qt_folder_tree_model.h"
#include "qt/qt_elided_label.h"
#include "qt/qt_history_chart.h"
#include "qt/qt_largest_files_model.h"
#include "qt/qt_look.h"
#include "qt/qt_rescan_dialog.h"
#include "qt/qt_results_delegate.h"
#include "qt/qt_treemap_widget.h"
#include "results/results_error.h"
#include "ui/growth_shade.h"
#include "ui/results_texts.h"
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
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <array>
#include <chrono>

namespace corvath {

void QtResultsWindow::buildControls() {
    setWindowTitle(QString::fromUtf8(kResultsName));
    setWindowIcon(programIcon());
    // Room for the tree's columns beside the treemap, within the screen; the
    // controls shrink so that the window fits 1280 x 720 at twice the size.
    QSize size(1120, 720);
    if (const QScreen* shown = screen()) size = size.boundedTo(shown->availableGeometry().size() * 0.92);
    resize(size);

    pages_ = new QStackedWidget(this);
    pages_->setAccessibleName(QString::fromUtf8(kResultsName));
    setCentralWidget(pages_);
    pages_->addWidget(buildEmptyPage());

    auto* results = new QWidget(pages_);
    results->setAccessibleName(tr("The scan"));
    auto* layout = new QVBoxLayout(results);
    buildChoiceBars(results, layout);
    QWidget* folders = buildFoldersTab(results);
    buildFilesTab(results);

    // The chart is made when its tab is first shown: the window opens faster.
    auto* historyPage = new QWidget(results);
    historyPage->setLayout(new QVBoxLayout());
    historyPage->layout()->setContentsMargins(0, 0, 0, 0);

    tabs_ = new QTabWidget(results);
    tabs_->addTab(folders, tr("Folders"));
    tabs_->addTab(filesPage_, tr("Largest Files"));
    tabs_->addTab(historyPage, tr("History"));
    tabs_->setAccessibleName(tr("Views of the scan"));
    if (auto* stack = tabs_->findChild<QStackedWidget*>()) stack->setAccessibleName(tr("Views of the scan"));
    filesPage_->setAccessibleName(tr("Largest Files"));
    historyPage->setAccessibleName(tr("History"));
    layout->addWidget(tabs_, 1);
    pages_->addWidget(results);

    // A long summary is cut, whole in its tooltip: it never widens the window.
    summary_ = new QtElidedLabel(this);
    summary_->setAccessibleName(tr("Summary of the scan"));
    statusBar()->addWidget(summary_, 1);
    statusBar()->setAccessibleName(tr("Status"));
    // Desktops resize windows at their edges; the grip would be one more
    // control with nothing to tell a screen reader.
    statusBar()->setSizeGripEnabled(false);

    connectControls();
    addShortcuts();
}

// With nothing to show: what to do to have something.
QWidget* QtResultsWindow::buildEmptyPage() {
    auto* empty = new QWidget(pages_);
    empty->setAccessibleName(tr("No scans yet"));
    auto* emptyLayout = new QVBoxLayout(empty);
    emptyLayout->addStretch(1);
    auto* emptyTitle = new QLabel(tr("No scans yet"), empty);
    QFont titleFont = emptyTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    emptyTitle->setFont(titleFont);
    emptyTitle->setAlignment(Qt::AlignCenter);
    emptyLayout->addWidget(emptyTitle);
    emptyText_ = new QLabel(empty);
    emptyText_->setWordWrap(true);
    emptyText_->setAlignment(Qt::AlignCenter);
    emptyText_->setTextFormat(Qt::PlainText);
    // A fixed width lets the wrapped text take the height it needs.
    emptyText_->setFixedWidth(480);
    emptyLayout->addWidget(emptyText_, 0, Qt::AlignHCenter);
    auto* lookAgain = new QPushButton(tr("Look Again"), empty);
    connect(lookAgain, &QPushButton::clicked, this, &QtResultsWindow::reload);
    emptyLayout->addWidget(lookAgain, 0, Qt::AlignHCenter);
    emptyLayout->addStretch(2);
    return empty;
}

// Which scan: drive and date on the first row, what to compare it with and
// the filter on the second. The choices share out the width and shrink with
// it (to a few characters, their whole text in the open list), so that the
// window fits a small screen at twice the size.
void QtResultsWindow::buildChoiceBars(QWidget* results, QVBoxLayout* layout) {
    auto* bar = new QHBoxLayout();
    auto* compareBar = new QHBoxLayout();
    const auto labelled = [&](QHBoxLayout* row, const QString& text, QWidget* control, int stretch) {
        auto* label = new QLabel(text, results);
        label->setBuddy(control);
        row->addWidget(label);
        row->addWidget(control, stretch);
    };
    const auto choice = [&](const QString& name) {
        auto* box = new QComboBox(results);
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        box->setMinimumContentsLength(6);
        box->setAccessibleName(name);
        return box;
    };
    drives_ = choice(tr("Drive"));
    labelled(bar, tr("&Drive:"), drives_, 2);
    scans_ = choice(tr("Scan"));
    labelled(bar, tr("&Scan:"), scans_, 3);
    again_ = new QPushButton(tr("&Analyze Again"), results);
    bar->addWidget(again_);
    excludes_ = new QPushButton(tr("E&xcluded Folders..."), results);
    excludes_->setEnabled(false);
    bar->addWidget(excludes_);
    compare_ = choice(tr("Compare with"));
    labelled(compareBar, tr("&Compare with:"), compare_, 3);
    onlyChanged_ = new QCheckBox(tr("&Only what changed"), results);
    compareBar->addWidget(onlyChanged_);
    filterEdit_ = new QLineEdit(results);
    filterEdit_->setPlaceholderText(tr("Filter by name (Ctrl+F)"));
    filterEdit_->setAccessibleName(tr("Filter by name"));
    filterEdit_->setClearButtonEnabled(true);
    if (auto* clear = filterEdit_->findChild<QToolButton*>()) clear->setAccessibleName(tr("Clear the filter"));
    filterEdit_->setMinimumWidth(filterEdit_->fontMetrics().averageCharWidth() * 10);
    filterEdit_->installEventFilter(this);
    compareBar->addWidget(filterEdit_, 2);
    layout->addLayout(bar);
    layout->addLayout(compareBar);
}

QWidget* QtResultsWindow::buildFoldersTab(QWidget* results) {
    model_ = new QtFolderTreeModel(this);
    filter_ = new QtFolderFilterModel(this);
    filter_->setSourceModel(model_);
    tree_ = new QTreeView(results);
    tree_->setAccessibleName(tr("Folders"));
    tree_->setModel(filter_);
    tree_->setItemDelegate(new QtResultsDelegate(QtFolderTreeModel::kShareRole, QtFolderTreeModel::kPathRole, tree_));
    tree_->setUniformRowHeights(true);
    tree_->setAllColumnsShowFocus(true);
    tree_->setExpandsOnDoubleClick(false);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    tree_->header()->setSortIndicator(QtFolderTreeModel::kSize, Qt::DescendingOrder);
    tree_->setSortingEnabled(true);
    tree_->header()->setStretchLastSection(false);
    tree_->setColumnWidth(QtFolderTreeModel::kName, 230);
    tree_->setColumnWidth(QtFolderTreeModel::kSize, 80);
    tree_->setColumnWidth(QtFolderTreeModel::kShare, 110);
    tree_->setColumnWidth(QtFolderTreeModel::kFiles, 75);
    tree_->setColumnWidth(QtFolderTreeModel::kFolders, 65);
    // The widest change ("-1023.9 GiB (gone)") is never cut.
    const int margin = tree_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, tree_) + 1;
    tree_->setColumnWidth(QtFolderTreeModel::kChange,
                          tree_->fontMetrics().horizontalAdvance(QtFolderTreeModel::widestChangeText()) + 4 * margin);
    tree_->installEventFilter(this);

    // Above the tree: what a search did not open.
    auto* treePane = new QWidget(results);
    auto* paneLayout = new QVBoxLayout(treePane);
    paneLayout->setContentsMargins(0, 0, 0, 0);
    searchNote_ = new QLabel(treePane);
    searchNote_->setTextFormat(Qt::PlainText);
    searchNote_->setWordWrap(true);
    searchNote_->hide();
    paneLayout->addWidget(searchNote_);
    paneLayout->addWidget(tree_);

    treemap_ = new QtTreemapWidget(results);
    auto* split = new QSplitter(Qt::Horizontal, results);
    split->addWidget(treePane);
    split->addWidget(treemap_);
    split->setSizes({640, 440});
    split->setAccessibleName(tr("Folders and treemap"));
    split->handle(1)->setAccessibleName(tr("Divider between the folders and the treemap"));
    return split;
}

void QtResultsWindow::buildFilesTab(QWidget* results) {
    filesModel_ = new QtLargestFilesModel(this);
    filesFilter_ = new QSortFilterProxyModel(this);
    filesFilter_->setSourceModel(filesModel_);
    filesFilter_->setSortRole(QtLargestFilesModel::kSortRole);
    filesFilter_->setFilterKeyColumn(QtLargestFilesModel::kName);
    filesFilter_->setFilterCaseSensitivity(Qt::CaseInsensitive);
    filesPage_ = new QWidget(results);
    auto* layout = new QVBoxLayout(filesPage_);
    layout->setContentsMargins(0, 0, 0, 0);
    // Which folder's files these are, or why there are none.
    filesNote_ = new QtElidedLabel(filesPage_, Qt::ElideMiddle);
    filesNote_->setAccessibleName(tr("Which files are listed"));
    layout->addWidget(filesNote_);
    // A list of rows with columns: a tree view without branches, which, unlike a
    // table view, shows a screen reader no nameless corner button.
    files_ = new QTreeView(filesPage_);
    files_->setAccessibleName(tr("Largest files"));
    layout->addWidget(files_, 1);
    files_->setModel(filesFilter_);
    files_->setItemDelegate(new QtResultsDelegate(-1, QtLargestFilesModel::kPathRole, files_));
    files_->setRootIsDecorated(false);
    files_->setItemsExpandable(false);
    files_->setUniformRowHeights(true);
    files_->setAllColumnsShowFocus(true);
    files_->setSelectionBehavior(QAbstractItemView::SelectRows);
    files_->setSelectionMode(QAbstractItemView::SingleSelection);
    files_->setContextMenuPolicy(Qt::CustomContextMenu);
    files_->header()->setSortIndicator(QtLargestFilesModel::kSize, Qt::DescendingOrder);
    files_->setSortingEnabled(true);
    files_->setColumnWidth(QtLargestFilesModel::kName, 240);
    files_->setColumnWidth(QtLargestFilesModel::kFolder, 420);
    files_->header()->setStretchLastSection(true);
}

void QtResultsWindow::connectControls() {
    connect(drives_, &QComboBox::activated, this, &QtResultsWindow::driveChosen);
    connect(scans_, &QComboBox::activated, this, &QtResultsWindow::scanChosen);
    connect(compare_, &QComboBox::activated, this, &QtResultsWindow::compareChosen);
    connect(onlyChanged_, &QCheckBox::toggled, this, &QtResultsWindow::onlyChangedToggled);
    connect(filterEdit_, &QLineEdit::textChanged, this, &QtResultsWindow::nameFilterChanged);
    connect(again_, &QPushButton::clicked, this, &QtResultsWindow::analyzeAgain);
    connect(excludes_, &QPushButton::clicked, this, &QtResultsWindow::editExcludedFolders);
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { treeCurrentChanged(current); });
    connect(tree_, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        const FolderItem* folder = model_->item(filter_->mapToSource(index));
        if (folder != nullptr && !folder->gone()) enterFolder(folder);
    });
    connect(model_, &QtFolderTreeModel::readFailed, this, &QtResultsWindow::showFailure);
    connect(treemap_, &QtTreemapWidget::folderClicked, this, &QtResultsWindow::treemapClicked);
    connect(treemap_, &QtTreemapWidget::folderActivated, this, &QtResultsWindow::treemapActivated);
    connect(treemap_, &QtTreemapWidget::upRequested, this, &QtResultsWindow::goUp);
    connect(treemap_, &QtTreemapWidget::menuRequested, this, &QtResultsWindow::showMenu);
    // The map draws the model's folders: it lets go of them before they go.
    connect(model_, &QAbstractItemModel::modelAboutToBeReset, treemap_,
            [this] { treemap_->showFolder(nullptr, false); });
    treemap_->setFetch([this](const FolderItem& folder) { model_->ensureFetched(model_->indexOf(&folder)); });
    connect(tree_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& position) { showMenu(tree_->viewport()->mapToGlobal(position)); });
    connect(files_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& position) { showMenu(files_->viewport()->mapToGlobal(position)); });
    connect(tabs_, &QTabWidget::currentChanged, this, [this] { loadSideTabs(); });
}

void QtResultsWindow::addShortcuts() {
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        filterEdit_->setFocus(Qt::ShortcutFocusReason);
        filterEdit_->selectAll();
    });
    auto* again = new QShortcut(QKeySequence::Refresh, this);
    connect(again, &QShortcut::activated, this, &QtResultsWindow::reload);
    auto* open = new QAction(tr("&Open in File Manager"), this);
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(open, &QAction::triggered, this, &QtResultsWindow::openSelectedInFileManager);
    auto* copy = new QAction(tr("&Copy Path"), this);
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    connect(copy, &QAction::triggered, this, &QtResultsWindow::copySelectedPath);
    trashAction_ = new QAction(tr("Move to &Trash..."), this);
    trashAction_->setShortcut(QKeySequence::Delete);
    connect(trashAction_, &QAction::triggered, this, &QtResultsWindow::moveSelectedToTrash);
    addActions({open, copy, trashAction_});
}

}  // namespace corvath
