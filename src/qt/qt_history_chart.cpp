#include "qt/qt_history_chart.h"

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QScatterSeries>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

namespace corvath {
namespace {

qint64 milliseconds(std::chrono::system_clock::time_point time) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

}  // namespace

QtHistoryChart::QtHistoryChart(QWidget* parent) : QWidget(parent), view_(new QChartView(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    view_->setRenderHint(QPainter::Antialiasing);
}

int QtHistoryChart::pointCount() const { return static_cast<int>(scans_.size()); }

void QtHistoryChart::setScans(const std::vector<StoredScan>& scans, std::int64_t shownId) {
    scans_ = scans;
    auto* chart = new QChart();
    chart->legend()->hide();
    chart->setTitle(scans.empty() ? tr("No scans of this drive") : tr("Used space of %1 over its scans")
                                                                      .arg(QString::fromStdString(scans.front().drive)));

    std::uint64_t largest = 0;
    for (const StoredScan& scan : scans) largest = std::max(largest, scan.allocated);
    static constexpr const char* kUnits[] = {"B", "KiB", "MiB", "GiB", "TiB", "PiB"};
    std::size_t unit = 0;
    unit_ = 1;
    while (largest / static_cast<std::uint64_t>(unit_) >= 1024 && unit + 1 < std::size(kUnits)) {
        unit_ *= 1024;
        ++unit;
    }

    auto* line = new QLineSeries();
    auto* points = new QScatterSeries();
    auto* shown = new QScatterSeries();
    points->setMarkerSize(9);
    shown->setMarkerSize(13);
    shown->setColor(QColor(205, 30, 30));
    for (const StoredScan& scan : scans) {
        const QPointF point(static_cast<double>(milliseconds(scan.finished)), static_cast<double>(scan.allocated) / unit_);
        line->append(point);
        (scan.id == shownId ? shown : points)->append(point);
    }
    chart->addSeries(line);
    chart->addSeries(points);
    chart->addSeries(shown);

    auto* time = new QDateTimeAxis();
    // Days apart show dates; scans of one day show their times.
    const bool withinADay = scans.size() < 2 || scans.back().finished - scans.front().finished < std::chrono::hours(36);
    time->setFormat(withinADay ? "MM-dd HH:mm" : "yyyy-MM-dd");
    time->setTitleText(tr("Finished"));
    auto* used = new QValueAxis();
    used->setTitleText(tr("Used (%1)").arg(QLatin1String(kUnits[unit])));
    used->setLabelFormat("%.4g");
    if (!scans.empty()) {
        // A little room on each side; a single scan still gets a day's width.
        const qint64 first = milliseconds(scans.front().finished);
        const qint64 last = milliseconds(scans.back().finished);
        const qint64 pad = std::max<qint64>((last - first) / 20, 12 * 3600 * 1000);
        time->setRange(QDateTime::fromMSecsSinceEpoch(first - pad), QDateTime::fromMSecsSinceEpoch(last + pad));
        used->setRange(0, std::max(1.0, static_cast<double>(largest) / unit_ * 1.1));
        used->applyNiceNumbers();
    }
    chart->addAxis(time, Qt::AlignBottom);
    chart->addAxis(used, Qt::AlignLeft);
    for (QAbstractSeries* series : chart->series()) {
        series->attachAxis(time);
        series->attachAxis(used);
    }
    connect(points, &QScatterSeries::clicked, this, &QtHistoryChart::pick);
    connect(shown, &QScatterSeries::clicked, this, &QtHistoryChart::pick);

    QChart* old = view_->chart();
    view_->setChart(chart);
    delete old;
}

void QtHistoryChart::pick(const QPointF& point) {
    const StoredScan* nearest = nullptr;
    double distance = std::numeric_limits<double>::max();
    for (const StoredScan& scan : scans_) {
        const double d = std::abs(static_cast<double>(milliseconds(scan.finished)) - point.x());
        if (d < distance) {
            distance = d;
            nearest = &scan;
        }
    }
    if (nearest != nullptr) emit scanPicked(nearest->id);
}

}  // namespace corvath
