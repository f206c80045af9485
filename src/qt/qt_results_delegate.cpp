#include "qt/qt_results_delegate.h"

#include "ui/colour_contrast.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace corvath {
namespace {

Shade shadeOf(const QColor& colour) {
    return {static_cast<std::uint8_t>(colour.red()), static_cast<std::uint8_t>(colour.green()),
            static_cast<std::uint8_t>(colour.blue())};
}

}  // namespace

QtResultsDelegate::QtResultsDelegate(int shareRole, int pathRole, QObject* parent)
    : QStyledItemDelegate(parent), shareRole_(shareRole), pathRole_(pathRole) {}

void QtResultsDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const QVariant share = index.data(shareRole_);
    if (!share.isValid()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // The row's background and selection first, then the bar under the text.
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

    const QRect groove = option.rect.adjusted(3, 3, -3, -3);
    const double fraction = std::clamp(share.toDouble(), 0.0, 1.0);
    painter->save();
    painter->setPen(option.palette.color(QPalette::Mid));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(groove.adjusted(0, 0, -1, -1));
    const QColor text = option.state & QStyle::State_Selected ? option.palette.color(QPalette::HighlightedText)
                                                              : option.palette.color(QPalette::Text);
    const int filled = static_cast<int>(std::lround((groove.width() - 2) * fraction));
    if (filled > 0) {
        // The percentage is written over the bar: the bar keeps clear of its colour.
        const Shade bar = readableShade({90, 140, 210}, {shadeOf(text)});
        painter->fillRect(QRect(groove.left() + 1, groove.top() + 1, filled, groove.height() - 2),
                          QColor(bar.red, bar.green, bar.blue));
    }
    painter->setPen(text);
    painter->drawText(groove, Qt::AlignCenter, index.data(Qt::DisplayRole).toString());
    painter->restore();
}

void QtResultsDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const QVariant wanted = index.data(Qt::ForegroundRole);
    if (!wanted.isValid()) return;
    // The model names a colour for its meaning; the rows it lands on are the
    // palette's, light or dark, plain or alternate.
    const QColor colour = wanted.canConvert<QBrush>() ? qvariant_cast<QBrush>(wanted).color() : wanted.value<QColor>();
    const QPalette& palette = option->palette;
    const Shade shown = readableShade(shadeOf(colour), {shadeOf(palette.color(QPalette::Base)),
                                                        shadeOf(palette.color(QPalette::AlternateBase))});
    option->palette.setColor(QPalette::Text, QColor(shown.red, shown.green, shown.blue));
}

bool QtResultsDelegate::textIsCut(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QWidget* widget = option.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget);
    // The style leaves a margin on each side of the text.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    return item.fontMetrics.horizontalAdvance(item.text) > textRect.width() - 2 * margin;
}

bool QtResultsDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) {
    if (event == nullptr || event->type() != QEvent::ToolTip) {
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }
    QString tip = index.data(Qt::ToolTipRole).toString();
    if (tip.isEmpty() && textIsCut(option, index)) {
        tip = index.data(pathRole_).toString();
        if (tip.isEmpty()) tip = index.data(Qt::DisplayRole).toString();
    }
    if (tip.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    QToolTip::showText(event->globalPos(), tip, view, option.rect);
    return true;
}

}  // namespace corvath
