#include "qt/qt_frame.h"

#include <QPainter>
#include <QPalette>

namespace corvath {

QtFrame::QtFrame(QWidget* parent, const QColor& background) : QWidget(parent) {
    setAutoFillBackground(true);
    if (background.isValid()) {
        QPalette p = palette();
        p.setColor(QPalette::Window, background);
        setPalette(p);
    }
    setFocusPolicy(Qt::NoFocus);
}

void QtFrame::setCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void QtFrame::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const int w = width();
    const int h = height();
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor light = palette().color(QPalette::Light);
    painter.setPen(shadow);
    painter.drawRect(0, 0, w - 2, h - 2);
    painter.setPen(light);
    painter.drawLine(1, 1, w - 3, 1);
    painter.drawLine(1, 1, 1, h - 3);
    painter.drawLine(0, h - 1, w - 1, h - 1);
    painter.drawLine(w - 1, 0, w - 1, h - 1);
    if (!caption_.isEmpty()) {
        const QFontMetrics metrics(font());
        const QRect text(8, 0, metrics.horizontalAdvance(caption_) + 4, metrics.height());
        painter.fillRect(text, palette().color(QPalette::Window));
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(text, Qt::AlignCenter, caption_);
    }
}

}  // namespace corvath
