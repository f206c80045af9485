// The results window's search of the whole scan by name, and its "only what
// changed": both find their folders in the database and open the tree to them.
#include "qt/qt_results_window.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSortFilterProxyModel>
#include <QTreeView>

#include "qt/qt_folder_filter_model.h"
#include "qt/qt_folder_search.h"
#include "qt/qt_folder_tree_model.h"
#include "qt/qt_tree_opener.h"
#include "results/results_error.h"

namespace corvath {
namespace {

QString number(std::size_t value) { return QLocale().toString(static_cast<qulonglong>(value)); }

}  // namespace

void QtResultsWindow::buildSearch() {
    search_ = new QtFolderSearch(databasePath_, this);
    searchOpener_ = std::make_unique<QtTreeOpener>(*tree_, *model_, *filter_);
    changesOpener_ = std::make_unique<QtTreeOpener>(*tree_, *model_, *filter_);
    connect(search_, &QtFolderSearch::found, this, &QtResultsWindow::searchFound);
    connect(search_, &QtFolderSearch::failed, this, [this](const QString& message) {
        foundNote_ = tr("The folders could not be searched: %1").arg(message);
        updateSearchNote();
    });
}

void QtResultsWindow::nameFilterChanged(const QString& text) {
    // The rows read so far filter at once; the search opens the tree to the rest.
    filter_->setNameFilter(text);
    filesFilter_->setFilterFixedString(text);
    if (!text.isEmpty()) {
        if (shown_) search_->search(*shown_, text);
        return;
    }
    search_->stop();
    searchOpener_->closeOpened();
    foundNote_.clear();
    updateSearchNote();
    openChanges();  // closing may have closed some of its folders
    tree_->scrollTo(tree_->currentIndex());
}

void QtResultsWindow::searchFound(const QString& text, const FolderMatches& matches) {
    if (text != filterEdit_->text()) return;
    std::vector<std::string> paths;
    for (const FoundFolder& folder : matches.folders) paths.push_back(folder.path);
    searchOpener_->openTo(paths);
    if (matches.matched == 0) {
        foundNote_ = tr("No folder of this scan has \"%1\" in its name.").arg(text);
    } else if (matches.cut()) {
        foundNote_ = tr("Opened to the %1 largest of the %2 folders whose names hold \"%3\".")
                         .arg(number(matches.folders.size()), number(matches.matched), text);
    } else {
        foundNote_.clear();
    }
    updateSearchNote();
    if (!paths.empty()) {
        const QModelIndex first = filter_->mapFromSource(model_->findPath(paths.front()));
        if (first.isValid()) tree_->scrollTo(first);
    }
}

void QtResultsWindow::onlyChangedToggled(bool only) {
    filter_->setOnlyChanged(only);
    if (only) {
        openChanges();
        return;
    }
    changesOpener_->closeOpened();
    changesNote_.clear();
    updateSearchNote();
    tree_->scrollTo(tree_->currentIndex());
}

// A new scan shown: what the filter and the box ask for, found again in it.
void QtResultsWindow::searchShownScan() {
    foundNote_.clear();
    changesNote_.clear();
    updateSearchNote();
    if (!filterEdit_->text().isEmpty() && shown_) search_->search(*shown_, filterEdit_->text());
    openChanges();
}

void QtResultsWindow::openChanges() {
    if (!reader_ || !shown_ || !earlier_ || !onlyChanged_->isChecked()) return;
    std::vector<FolderChange> changes;
    try {
        // Every folder whose content differs, a renamed sub-folder with no net change too.
        changes = reader_->changes(*earlier_, *shown_, shown_->root, kMostChangesOpened + 1, Changed::InAnyWay);
    } catch (const ResultsError& failure) {
        showFailure(QString::fromUtf8(failure.what()));
        return;
    }
    const bool cut = changes.size() > kMostChangesOpened;
    if (cut) changes.pop_back();
    std::vector<std::string> paths;
    for (const FolderChange& change : changes) paths.push_back(change.path);
    changesOpener_->openTo(paths);
    changesNote_ = cut ? tr("Opened to the %1 largest changes; smaller ones show when their folders are opened.")
                             .arg(number(kMostChangesOpened))
                       : QString();
    updateSearchNote();
}

void QtResultsWindow::updateSearchNote() {
    QStringList lines;
    for (const QString* note : {&foundNote_, &changesNote_}) {
        if (!note->isEmpty()) lines << *note;
    }
    searchNote_->setText(lines.join('\n'));
    searchNote_->setVisible(!lines.isEmpty());
}

}  // namespace corvath
