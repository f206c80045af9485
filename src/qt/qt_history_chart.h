#pragma once

#include <QWidget>

#include <cstdint>
#include <vector>

#include "results/stored_scan.h"

class QChartView;
class QTreeWidget;

namespace corvath {

// The drive's used bytes over its scans: a chart (Qt Charts), one point per
// scan, over a table of the same scans that the keyboard and a screen reader
// can use. A click on a point, or Enter or a double click on a row, picks that
// scan. Its colours follow the palette, light or dark.
class QtHistoryChart : public QWidget {
    Q_OBJECT
public:
    explicit QtHistoryChart(QWidget* parent = nullptr);

    // Oldest first; the shown scan's point is drawn apart.
    void setScans(const std::vector<StoredScan>& scans, std::int64_t shownId);
    int pointCount() const;

    QChartView* chartView() const { return view_; }
    QTreeWidget* table() const { return table_; }

signals:
    void scanPicked(std::int64_t id);

protected:
    void changeEvent(QEvent* event) override;

private:
    void pick(const QPointF& point);
    void fillTable(std::int64_t shownId);
    void applyPalette();

    QChartView* view_;
    QTreeWidget* table_;  // a list of rows with columns
    std::vector<StoredScan> scans_;
    double unit_ = 1;  // bytes per step of the value axis
};

}  // namespace corvath
