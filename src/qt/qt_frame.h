#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

namespace corvath {

// A frame as the wizard's layout uses it: a filled panel with an etched border
// (a shadow line with a light line inside it) on all four sides and an optional
// caption. The wizard places its frames so that overlapping controls and the
// window's own edges hide every border line except the ones it wants shown.
class QtFrame : public QWidget {
public:
    explicit QtFrame(QWidget* parent, const QColor& background = QColor());
    void setCaption(const QString& caption);
    QString caption() const { return caption_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
};

}  // namespace corvath
