#pragma once

#include <QSortFilterProxyModel>

#include <optional>

#include "text/name_match.h"

namespace corvath {

// Sorts the results tree by the model's sort role and hides rows: those whose
// name does not hold the filter text (any case, as the scan's search matches),
// and when asked, those that did not change since the earlier scan. A folder
// stays while one of its rows read so far passes, so the way to every match
// stays open; the search of the whole scan reads the rows that match.
class QtFolderFilterModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit QtFolderFilterModel(QObject* parent = nullptr);

    void setNameFilter(const QString& text);
    void setOnlyChanged(bool only);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    QString name_;
    std::optional<NameMatcher> matcher_;
    bool onlyChanged_ = false;
};

}  // namespace corvath
