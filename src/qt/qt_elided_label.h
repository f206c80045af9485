#pragma once

#include <QLabel>

namespace corvath {

// A one-line label that may be narrower than its text: the text is cut with
// "..." where it does not fit, and shown whole in its tooltip and to a screen
// reader. So a long line (the status bar's summary) never widens its window.
class QtElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit QtElidedLabel(QWidget* parent = nullptr, Qt::TextElideMode mode = Qt::ElideRight);

    // The text and the tooltip at once.
    void setFullText(const QString& text);

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Qt::TextElideMode mode_;
};

}  // namespace corvath
