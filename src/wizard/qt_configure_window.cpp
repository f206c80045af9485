#include "wizard/qt_configure_window.h"

#include "ui/twips.h"
#include "wizard/qt_dialog_font.h"

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
    setWindowTitle(QStringLiteral("Configure Corvath Analyzer"));
    setFont(dialogFont());
    const QScreen* s = screen();
    const double tppX = s->logicalDotsPerInchX() > 0 ? 1440.0 / s->logicalDotsPerInchX() : 15.0;
    const double tppY = s->logicalDotsPerInchY() > 0 ? 1440.0 / s->logicalDotsPerInchY() : 15.0;
    setFixedSize(twipsToPixels(kClientWidthTwips, tppX), twipsToPixels(kClientHeightTwips, tppY));
}

}  // namespace corvath
