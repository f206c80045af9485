#pragma once

#include <QAbstractTableModel>

#include <vector>

#include "results/stored_scan.h"

namespace corvath {

// A scan's largest files, largest first: name, size, folder, last modified.
class QtLargestFilesModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kName, kSize, kFolder, kModified, kColumnCount };
    enum Role { kSortRole = Qt::UserRole + 1, kPathRole, kGoneRole };

    explicit QtLargestFilesModel(QObject* parent = nullptr);

    void setFiles(std::vector<StoredFile> files);
    const StoredFile* file(int row) const;
    void markTrashed(int row);
    // A folder has been moved to the trash: the files in it went with it.
    void markTrashedBelow(const std::string& folder);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<StoredFile> files_;
    std::vector<bool> trashed_;
};

}  // namespace corvath
