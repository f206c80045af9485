#pragma once

#include <QWidget>

#include <cstdint>
#include <vector>

#include "results/stored_scan.h"

class QChartView;
class QLineSeries;
class QScatterSeries;

namespace corvath {

// The drive's used bytes over its scans, one point per scan (Qt Charts). A
// click on a point picks that scan.
class QtHistoryChart : public QWidget {
    Q_OBJECT
public:
    explicit QtHistoryChart(QWidget* parent = nullptr);

    // Oldest first; the shown scan's point is drawn apart.
    void setScans(const std::vector<StoredScan>& scans, std::int64_t shownId);
    int pointCount() const;

signals:
    void scanPicked(std::int64_t id);

private:
    void pick(const QPointF& point);

    QChartView* view_;
    std::vector<StoredScan> scans_;
    double unit_ = 1;  // bytes per step of the value axis
};

}  // namespace corvath
