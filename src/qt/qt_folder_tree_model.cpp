#include "qt/qt_folder_tree_model.h"
#include "qt/qt_shown_text.h"

#include "results/results_error.h"
#include "text/paths.h"

#include <QBrush>
#include <QFont>
#include <QLocale>
#include <QPalette>

namespace corvath {
namespace {

QString count(std::uint64_t value) { return QLocale().toString(static_cast<qulonglong>(value)); }

double shareOfParent(const FolderItem& item) {
    if (item.parent == nullptr) return 1.0;
    const std::uint64_t whole = item.parent->now.allocated;
    return whole == 0 ? 0.0 : static_cast<double>(item.now.allocated) / static_cast<double>(whole);
}

QString goneMark() { return QtFolderTreeModel::tr(" (gone)"); }
QString newMark() { return QtFolderTreeModel::tr(" (new)"); }

QString changeText(const FolderItem& item) {
    if (item.gone()) return sizeChangeLabel(item.grown()) + goneMark();
    if (item.before.node == 0) return sizeChangeLabel(item.grown()) + newMark();
    return sizeChangeLabel(item.grown());
}

}  // namespace

QString QtFolderTreeModel::widestChangeText() {
    const QString mark = goneMark().size() > newMark().size() ? goneMark() : newMark();
    // The most characters a change has: four digits, a decimal and a unit.
    return sizeChangeLabel(-1023 * (std::int64_t{1} << 30) - (std::int64_t{1} << 29)) + mark;
}

QtFolderTreeModel::QtFolderTreeModel(QObject* parent) : QAbstractItemModel(parent) {}
QtFolderTreeModel::~QtFolderTreeModel() = default;

void QtFolderTreeModel::showScan(const ScanReader& reader, const StoredScan& scan,
                                 const std::optional<StoredScan>& earlier) {
    auto root = std::make_unique<FolderItem>();
    root->now = reader.folder(scan.top);
    root->path = scan.root;
    if (earlier) root->before = reader.folder(earlier->top);
    beginResetModel();
    reader_ = &reader;
    root_ = std::move(root);
    comparing_ = earlier.has_value();
    endResetModel();
}

void QtFolderTreeModel::clear() {
    beginResetModel();
    root_.reset();
    reader_ = nullptr;
    comparing_ = false;
    endResetModel();
}

FolderItem* QtFolderTreeModel::itemAt(const QModelIndex& index) const {
    return index.isValid() ? static_cast<FolderItem*>(index.internalPointer()) : nullptr;
}

const FolderItem* QtFolderTreeModel::item(const QModelIndex& index) const { return itemAt(index); }

QModelIndex QtFolderTreeModel::indexOf(const FolderItem* item, int column) const {
    return item == nullptr ? QModelIndex() : createIndex(item->row, column, const_cast<FolderItem*>(item));
}

QModelIndex QtFolderTreeModel::rootIndex() const { return indexOf(root_.get()); }

QModelIndex QtFolderTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column < 0 || column >= kColumnCount) return {};
    if (!parent.isValid()) return row == 0 && root_ ? createIndex(0, column, root_.get()) : QModelIndex();
    const FolderItem* folder = itemAt(parent);
    if (parent.column() != 0 || row >= static_cast<int>(folder->children.size())) return {};
    return createIndex(row, column, folder->children[static_cast<std::size_t>(row)].get());
}

QModelIndex QtFolderTreeModel::parent(const QModelIndex& child) const {
    const FolderItem* folder = itemAt(child);
    return folder == nullptr ? QModelIndex() : indexOf(folder->parent);
}

int QtFolderTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return root_ ? 1 : 0;
    if (parent.column() != 0) return 0;
    return static_cast<int>(itemAt(parent)->children.size());
}

int QtFolderTreeModel::columnCount(const QModelIndex&) const { return kColumnCount; }

bool QtFolderTreeModel::hasChildren(const QModelIndex& parent) const {
    if (!parent.isValid()) return root_ != nullptr;
    if (parent.column() != 0) return false;
    const FolderItem* folder = itemAt(parent);
    return folder->fetched ? !folder->children.empty() : folder->mayHaveChildren(comparing_);
}

bool QtFolderTreeModel::canFetchMore(const QModelIndex& parent) const {
    const FolderItem* folder = itemAt(parent);
    return folder != nullptr && parent.column() == 0 && !folder->fetched && folder->mayHaveChildren(comparing_);
}

void QtFolderTreeModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent) || reader_ == nullptr) return;
    FolderItem* folder = itemAt(parent);
    // Read into a copy first: the rows are announced before they exist.
    FolderItem read;
    read.now = folder->now;
    read.before = folder->before;
    read.path = folder->path;
    try {
        readChildren(*reader_, read, comparing_);
    } catch (const ResultsError& error) {
        folder->fetched = true;  // not tried again on every repaint
        emit readFailed(QString::fromUtf8(error.what()));
        return;
    }
    for (auto& child : read.children) child->parent = folder;
    folder->ownNow = read.ownNow;
    folder->ownBefore = read.ownBefore;
    if (read.children.empty()) {
        folder->fetched = true;
        return;
    }
    beginInsertRows(parent, 0, static_cast<int>(read.children.size()) - 1);
    folder->children = std::move(read.children);
    folder->fetched = true;
    endInsertRows();
}

bool QtFolderTreeModel::ensureFetched(const QModelIndex& index) {
    if (canFetchMore(index)) fetchMore(index);
    const FolderItem* folder = itemAt(index);
    return folder != nullptr && folder->fetched;
}

QModelIndex QtFolderTreeModel::findPath(const std::string& path) {
    if (!root_) return {};
    const std::optional<std::vector<std::string>> parts = partsBelow(root_->path, path);
    if (!parts) return {};
    QModelIndex at = rootIndex();
    for (const std::string& part : *parts) {
        ensureFetched(at);
        QModelIndex next;
        for (const auto& child : itemAt(at)->children) {
            if (child->name() == part) next = indexOf(child.get());
        }
        if (!next.isValid()) return {};
        at = next;
    }
    return at;
}

void QtFolderTreeModel::markTrashed(const QModelIndex& index) {
    FolderItem* folder = itemAt(index);
    if (folder == nullptr) return;
    // Everything read below it went with it.
    std::vector<FolderItem*> pending{folder};
    while (!pending.empty()) {
        FolderItem* item = pending.back();
        pending.pop_back();
        item->trashed = true;
        if (!item->children.empty()) {
            emit dataChanged(indexOf(item->children.front().get(), 0),
                             indexOf(item->children.back().get(), kColumnCount - 1));
        }
        for (auto& child : item->children) pending.push_back(child.get());
    }
    emit dataChanged(indexOf(folder, 0), indexOf(folder, kColumnCount - 1));
    takeOutOfTotals(folder->parent, {folder->now.allocated, folder->now.apparent, folder->now.files,
                                     folder->now.folders + 1});
    totalsChanged(folder->parent);
}

bool QtFolderTreeModel::fileTrashed(const StoredFile& file) {
    FolderItem* folder = itemAt(findPath(file.folder));
    if (folder == nullptr || folder->trashed) return false;
    // Own bytes are known once read; read later, they follow from the new total.
    if (folder->fetched) folder->ownNow -= std::min(folder->ownNow, file.allocated);
    takeOutOfTotals(folder, {file.allocated, file.apparent, 1, 0});
    totalsChanged(folder);
    return true;
}

void QtFolderTreeModel::totalsChanged(FolderItem* from) {
    for (FolderItem* at = from; at != nullptr; at = at->parent) {
        emit dataChanged(indexOf(at, 0), indexOf(at, kColumnCount - 1));
        if (!at->children.empty()) {
            emit dataChanged(indexOf(at->children.front().get(), kShare), indexOf(at->children.back().get(), kShare));
        }
    }
}

QVariant QtFolderTreeModel::data(const QModelIndex& index, int role) const {
    const FolderItem* folder = itemAt(index);
    if (folder == nullptr) return {};
    const StoredFolder& shown = folder->gone() ? folder->before : folder->now;
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole:
            switch (column) {
                case kName: return fromBytes(folder->name());
                case kSize: return sizeLabel(folder->now.allocated);
                case kShare:
                    return folder->gone() ? QString() : percentLabel(shareOfParent(*folder) * 100.0);
                case kFiles: return folder->gone() ? QString() : count(shown.files);
                case kFolders: return folder->gone() ? QString() : count(foldersCounted(shown));
                case kChange: return comparing_ ? changeText(*folder) : QString();
                default: return {};
            }
        case kSortRole:
            switch (column) {
                case kName: return fromBytes(folder->name());
                case kSize:
                case kShare: return static_cast<qulonglong>(folder->now.allocated);
                case kFiles: return static_cast<qulonglong>(folder->now.files);
                case kFolders: return static_cast<qulonglong>(folder->now.folders);
                case kChange: return static_cast<qlonglong>(folder->grown());
                default: return {};
            }
        case kShareRole:
            return column == kShare && !folder->gone() ? QVariant(shareOfParent(*folder)) : QVariant();
        case kPathRole:
            return fromBytes(folder->path);
        case kGoneRole:
            return folder->gone() || folder->trashed;
        case Qt::TextAlignmentRole:
            return column == kName ? QVariant() : QVariant(Qt::AlignRight | Qt::AlignVCenter);
        case Qt::FontRole:
            if (folder->gone() || folder->trashed) {
                QFont font;
                font.setStrikeOut(true);
                return font;
            }
            return {};
        case Qt::ForegroundRole:
            if (folder->gone() || folder->trashed) return QPalette().brush(QPalette::Disabled, QPalette::Text);
            if (column == kChange && comparing_ && folder->grown() != 0) {
                return QBrush(folder->grown() > 0 ? QColor(170, 20, 20) : QColor(20, 120, 40));
            }
            return {};
        case Qt::ToolTipRole:
            if (folder->trashed) return tr("%1 (moved to the trash)").arg(fromBytes(folder->path));
            if (folder->gone()) return tr("%1 (gone since the earlier scan)").arg(fromBytes(folder->path));
            if (shown.flags & StoredFolder::kUnreadable) return tr("%1 (could not be read in full)").arg(fromBytes(folder->path));
            if (shown.flags & StoredFolder::kOtherFilesystem) return tr("%1 (another filesystem, not entered)").arg(fromBytes(folder->path));
            if (shown.flags & StoredFolder::kExcluded) return tr("%1 (left out by an exclude pattern, not entered)").arg(fromBytes(folder->path));
            return {};  // the delegate shows the path where the name is cut
        default:
            return {};
    }
}

QVariant QtFolderTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case kName: return tr("Name");
        case kSize: return tr("Size");
        case kShare: return tr("Share of parent");
        case kFiles: return tr("Files");
        case kFolders: return tr("Folders");
        case kChange: return tr("Change");
        default: return {};
    }
}

}  // namespace corvath
