#include "qt/qt_tick_box_style.h"

#include <QPainter>
#include <QStyleOption>

namespace corvath {

namespace {

bool darkGround(const QPalette& palette) {
    return palette.color(QPalette::Base).lightness() < palette.color(QPalette::Text).lightness();
}

}  // namespace

void QtTickBoxStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                   const QWidget* widget) const {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    const bool tickBox = element == PE_IndicatorItemViewItemCheck || element == PE_IndicatorCheckBox;
    if (!tickBox || !darkGround(option->palette)) return;
    const QPalette::ColorGroup group = (option->state & State_Enabled) != 0 ? QPalette::Normal : QPalette::Disabled;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(option->palette.color(group, QPalette::Text), 1));
    painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
    painter->restore();
}

}  // namespace corvath
