#pragma once

#include <QStyledItemDelegate>

namespace corvath {

// Draws the results' rows: a share column as a bar with its percentage, a
// cell's own text colour (the Change column's red and green) made readable on
// the view's rows in any palette, and a tooltip with the full path where a
// cell's text is cut short.
class QtResultsDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // shareRole: the role holding a share from 0 to 1; pathRole: the full path.
    QtResultsDelegate(int shareRole, int pathRole, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

    // Whether the cell's text is cut at its present width.
    bool textIsCut(const QStyleOptionViewItem& option, const QModelIndex& index) const;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    int shareRole_;
    int pathRole_;
};

}  // namespace corvath
