#include "qt/qt_history_chart.h"
#include "qt/qt_shown_text.h"

#include "qt/qt_accessible_roles.h"

#include "qt/qt_date_text.h"
#include "ui/colour_contrast.h"

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QEvent>
#include <QLineSeries>
#include <QScatterSeries>
#include <QSplitter>
#include <QTreeWidget>
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


Shade shadeOf(const QColor& colour) {
    return {static_cast<std::uint8_t>(colour.red()), static_cast<std::uint8_t>(colour.green()),
            static_cast<std::uint8_t>(colour.blue())};
}

// A colour that stands out from the chart's background as text would.
QColor readableOn(const QColor& wanted, const QColor& background) {
    const Shade shown = readableShade(shadeOf(wanted), {shadeOf(background)});
    return {shown.red, shown.green, shown.blue};
}

const QColor kShownPoint(205, 30, 30);
constexpr int kIdRole = Qt::UserRole + 1;

}  // namespace

QtHistoryChart::QtHistoryChart(QWidget* parent)
    : QWidget(parent), view_(new QChartView(this)), table_(new QTreeWidget(this)) {
    setAccessibleRole(this, QAccessible::Pane);
    setAccessibleName(tr("History of the drive"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(view_);
    split->addWidget(table_);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 1);
    split->setAccessibleName(tr("Chart and table of the scans"));
    split->handle(1)->setAccessibleName(tr("Divider between the chart and the table"));
    layout->addWidget(split);
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setMinimumSize(160, 90);
    setAccessibleRole(view_, QAccessible::Chart);
    view_->setAccessibleName(tr("Used space over the scans"));
    view_->viewport()->setAccessibleName(tr("Chart"));

    // A tree view without branches: a table that shows a screen reader no
    // nameless corner button.
    table_->setAccessibleName(tr("Scans of this drive"));
    table_->setHeaderLabels({tr("Finished"), tr("Counted"), tr("In use on the drive"), tr("Change")});
    table_->setRootIsDecorated(false);
    table_->setItemsExpandable(false);
    table_->setUniformRowHeights(true);
    table_->setAllColumnsShowFocus(true);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setMinimumHeight(table_->fontMetrics().height() * 4);
    connect(table_, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { emit scanPicked(item->data(0, kIdRole).toLongLong()); });
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
    applyPalette();
    fillTable(shownId);
}

void QtHistoryChart::fillTable(std::int64_t shownId) {
    table_->clear();
    // Newest first, as the scan choice lists them.
    for (auto it = scans_.rbegin(); it != scans_.rend(); ++it) {
        const auto next = std::next(it);
        const QString change = next == scans_.rend() ? QString()
                                                     : sizeChangeLabel(
                                                           static_cast<std::int64_t>(it->allocated) -
                                                           static_cast<std::int64_t>(next->allocated));
        const QString cells[] = {whenText(it->finished), sizeLabel(it->allocated),
                                 it->driveUsed ? sizeLabel(*it->driveUsed) : tr("not recorded"), change};
        auto* row = new QTreeWidgetItem(table_, QStringList(std::begin(cells), std::end(cells)));
        for (int column = 1; column < 4; ++column) row->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
        // The oldest scan's change cell is empty to the eye; a screen reader says why.
        if (change.isEmpty()) row->setData(3, Qt::AccessibleTextRole, tr("none, the first scan"));
        row->setData(0, kIdRole, static_cast<qlonglong>(it->id));
        if (it->id == shownId) table_->setCurrentItem(row);
    }
    for (int column = 0; column < 4; ++column) table_->resizeColumnToContents(column);
    view_->setAccessibleDescription(
        scans_.empty() ? tr("No scans of this drive")
                       : tr("Scans from %1 to %2: %3; the table below lists each")
                             .arg(whenText(scans_.front().finished), whenText(scans_.back().finished))
                             .arg(scans_.size()));
}

// The chart's own theme is white; it takes the window's colours instead.
void QtHistoryChart::applyPalette() {
    QChart* chart = view_->chart();
    if (chart == nullptr) return;
    const QPalette& colours = palette();
    const QColor background = colours.color(QPalette::Base);
    const QColor text = readableOn(colours.color(QPalette::Text), background);
    chart->setBackgroundBrush(background);
    chart->setPlotAreaBackgroundVisible(false);
    chart->setTitleBrush(text);
    view_->setBackgroundBrush(background);
    for (QAbstractAxis* axis : chart->axes()) {
        axis->setLabelsBrush(text);
        axis->setTitleBrush(text);
        axis->setLinePenColor(colours.color(QPalette::Mid));
        axis->setGridLineColor(colours.color(QPalette::Midlight));
    }
    const QColor line = readableOn(colours.color(QPalette::Highlight), background);
    const QList<QAbstractSeries*> series = chart->series();
    if (series.size() == 3) {
        static_cast<QLineSeries*>(series[0])->setColor(line);
        static_cast<QScatterSeries*>(series[1])->setColor(line);
        static_cast<QScatterSeries*>(series[1])->setBorderColor(background);
        static_cast<QScatterSeries*>(series[2])->setColor(readableOn(kShownPoint, background));
        static_cast<QScatterSeries*>(series[2])->setBorderColor(background);
    }
}

void QtHistoryChart::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) applyPalette();
    QWidget::changeEvent(event);
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
