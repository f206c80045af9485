#pragma once

#include <QAbstractItemModel>

#include <memory>
#include <optional>
#include <string>

#include "qt/folder_item.h"
#include "results/scan_reader.h"

namespace corvath {

// The folders of one scan as a tree: the scan's root at the top, each folder's
// sub-folders read from the database only when it is opened (fetchMore), largest
// first. With an earlier scan of the same drive to compare with, each folder
// also carries its earlier size, and folders gone since show as rows of their own.
class QtFolderTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Column { kName, kSize, kChange, kShare, kFiles, kFolders, kColumnCount };
    enum Role {
        kSortRole = Qt::UserRole + 1,  // a number (a name for kName) to sort by
        kShareRole,                    // share of the parent, 0 to 1 (kShare)
        kPathRole,                     // the full path
        kGoneRole,                     // the row stands for a folder no longer there
    };

    explicit QtFolderTreeModel(QObject* parent = nullptr);
    ~QtFolderTreeModel() override;

    // Shows the scan, compared with the earlier one when given; the reader must
    // outlive the model or the next call. Throws ResultsError.
    void showScan(const ScanReader& reader, const StoredScan& scan, const std::optional<StoredScan>& earlier);
    void clear();
    bool comparing() const { return comparing_; }
    // The widest text the Change column can hold, so that it is given room for it.
    static QString widestChangeText();

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    const FolderItem* item(const QModelIndex& index) const;
    QModelIndex indexOf(const FolderItem* item, int column = kName) const;
    QModelIndex rootIndex() const;
    // Reads the folder's sub-folders when not read yet; false when reading failed.
    bool ensureFetched(const QModelIndex& index);
    // The folder at that full path, opening the folders on the way; invalid when
    // the scan does not hold it.
    QModelIndex findPath(const std::string& path);
    // The folder has been moved to the trash: it stays, marked as gone, with
    // the folders read below it, and the folders above it no longer count it.
    void markTrashed(const QModelIndex& index);
    // A file of the scan has been moved to the trash: its folder and those
    // above it no longer count it. False when the tree does not hold its folder.
    bool fileTrashed(const StoredFile& file);

signals:
    // Reading the database failed; one line.
    void readFailed(const QString& message);

private:
    FolderItem* itemAt(const QModelIndex& index) const;
    // Announces new totals of the folder, the folders above it and their rows' shares.
    void totalsChanged(FolderItem* from);

    const ScanReader* reader_ = nullptr;
    std::unique_ptr<FolderItem> root_;
    bool comparing_ = false;
};

}  // namespace corvath
