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
    if (onlyChanged_ && model->comparing() && folder->grown() == 0 && !folder->gone() && folder->before.node != 0) {
        return false;
    }
    if (name_.isEmpty()) return true;
    return QString::fromUtf8(folder->name().data(), static_cast<qsizetype>(folder->name().size()))
        .contains(name_, Qt::CaseInsensitive);
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
