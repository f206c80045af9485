#include "qt/qt_elided_label.h"

#include <QPainter>
#include <QStyle>

namespace corvath {

QtElidedLabel::QtElidedLabel(QWidget* parent, Qt::TextElideMode mode) : QLabel(parent), mode_(mode) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void QtElidedLabel::setFullText(const QString& text) {
    setText(text);
    setToolTip(text);
}

QSize QtElidedLabel::minimumSizeHint() const {
    // A few characters and the ellipsis: enough to see that there is more.
    return {fontMetrics().averageCharWidth() * 8, QLabel::minimumSizeHint().height()};
}

void QtElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const QString shown = fontMetrics().elidedText(text(), mode_, area.width());
    style()->drawItemText(&painter, area, static_cast<int>(alignment()), palette(), isEnabled(), shown,
                          foregroundRole());
}

}  // namespace corvath
