#include "qt/qt_folder_filter_model.h"

#include "qt/qt_folder_tree_model.h"

namespace corvath {

QtFolderFilterModel::QtFolderFilterModel(QObject* parent) : QSortFilterProxyModel(parent) {
    setSortRole(QtFolderTreeModel::kSortRole);
    setRecursiveFilteringEnabled(true);
    setSortCaseSensitivity(Qt::CaseInsensitive);
}

void QtFolderFilterModel::setNameFilter(const QString& text) {
    if (text == name_) return;
    name_ = text;
    matcher_.reset();
    if (!text.isEmpty()) matcher_.emplace(text.toStdString());
    invalidateFilter();
}

void QtFolderFilterModel::setOnlyChanged(bool only) {
    if (only == onlyChanged_) return;
    onlyChanged_ = only;
    invalidateFilter();
}

bool QtFolderFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    // The scan's root always shows: without it nothing below could.
    if (!sourceParent.isValid()) return true;
    const auto* model = static_cast<const QtFolderTreeModel*>(sourceModel());
    const FolderItem* folder = model->item(model->index(sourceRow, 0, sourceParent));
    if (folder == nullptr) return false;
    // A folder is stored anew when anything in it changed, a renamed
    // sub-folder with no change in size too: the same node is the same content.
    if (onlyChanged_ && model->comparing() && folder->before.node == folder->now.node) return false;
    return !matcher_ || matcher_->matches(folder->name());
}

bool QtFolderFilterModel::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const QVariant a = left.data(sortRole());
    const QVariant b = right.data(sortRole());
    if (a.typeId() == QMetaType::QString) {
        return QString::compare(a.toString(), b.toString(), Qt::CaseInsensitive) < 0;
    }
    return QVariant::compare(a, b) == QPartialOrdering::Less;
}

}  // namespace corvath
