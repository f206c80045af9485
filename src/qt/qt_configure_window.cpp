#include "qt/qt_configure_window.h"

#include "ui/message_box.h"
#include "ui/twips.h"
#include "qt/qt_look.h"

#include <QCoreApplication>
#include <QScreen>

namespace corvath {

namespace {
constexpr int kClientWidthTwips = 7935;
constexpr int kClientHeightTwips = 3900;
}  // namespace

QtConfigureWindow::QtConfigureWindow(QWidget* owner) : QDialog(owner) {
    // A dialog frame with a close box only; owned, so it gets no task-bar button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QCoreApplication::translate("corvath", "Configure %1").arg(QString::fromUtf8(kProductName)));
    setFont(dialogFont());
    const QScreen* s = screen();
    const double tppX = twipsPerPixelAt(s->logicalDotsPerInchX());
    const double tppY = twipsPerPixelAt(s->logicalDotsPerInchY());
    setFixedSize(twipsToPixels(kClientWidthTwips, tppX), twipsToPixels(kClientHeightTwips, tppY));
}

}  // namespace corvath
