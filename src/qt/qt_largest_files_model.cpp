#include "qt/qt_largest_files_model.h"
#include "qt/qt_shown_text.h"

#include "qt/qt_date_text.h"
#include "text/paths.h"

#include <QFont>
#include <QPalette>

namespace corvath {

QtLargestFilesModel::QtLargestFilesModel(QObject* parent) : QAbstractTableModel(parent) {}

void QtLargestFilesModel::setFiles(std::vector<StoredFile> files) {
    beginResetModel();
    files_ = std::move(files);
    trashed_.assign(files_.size(), false);
    endResetModel();
}

const StoredFile* QtLargestFilesModel::file(int row) const {
    return row >= 0 && row < static_cast<int>(files_.size()) ? &files_[static_cast<std::size_t>(row)] : nullptr;
}

void QtLargestFilesModel::markTrashed(int row) {
    if (file(row) == nullptr) return;
    trashed_[static_cast<std::size_t>(row)] = true;
    emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
}

void QtLargestFilesModel::markTrashedBelow(const std::string& folder) {
    for (std::size_t row = 0; row < files_.size(); ++row) {
        if (isAtOrBelow(files_[row].folder, folder) && !trashed_[row]) markTrashed(static_cast<int>(row));
    }
}

int QtLargestFilesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(files_.size());
}

int QtLargestFilesModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant QtLargestFilesModel::data(const QModelIndex& index, int role) const {
    const StoredFile* stored = file(index.row());
    if (stored == nullptr) return {};
    const bool trashed = trashed_[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            switch (index.column()) {
                case kName: return fromBytes(stored->name);
                case kSize: return sizeLabel(stored->allocated);
                case kFolder: return fromBytes(stored->folder);
                case kModified:
                    return whenText(stored->modified);
                default: return {};
            }
        case kSortRole:
            switch (index.column()) {
                case kName: return fromBytes(stored->name);
                case kSize: return static_cast<qulonglong>(stored->allocated);
                case kFolder: return fromBytes(stored->folder);
                case kModified: return static_cast<qlonglong>(stored->modified);
                default: return {};
            }
        case kPathRole:
            return fromBytes(stored->path());
        case kGoneRole:
            return trashed;
        case Qt::TextAlignmentRole:
            return index.column() == kSize ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
        case Qt::FontRole:
            if (trashed) {
                QFont font;
                font.setStrikeOut(true);
                return font;
            }
            return {};
        case Qt::ForegroundRole:
            return trashed ? QVariant(QPalette().brush(QPalette::Disabled, QPalette::Text)) : QVariant();
        case Qt::ToolTipRole:
            return trashed ? QVariant(tr("%1 (moved to the trash)").arg(fromBytes(stored->path()))) : QVariant();
        default:
            return {};
    }
}

QVariant QtLargestFilesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case kName: return tr("Name");
        case kSize: return tr("Size");
        case kFolder: return tr("Folder");
        case kModified: return tr("Modified");
        default: return {};
    }
}

}  // namespace corvath
