#include "wizard/qt_dialog_font.h"

#include <QFontDatabase>
#include <QStringList>

namespace corvath {

QFont dialogFont(bool bold) {
    const QStringList installed = QFontDatabase::families();
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setStyleHint(QFont::SansSerif);
    for (const char* family : {"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "Arimo"}) {
        if (installed.contains(QLatin1String(family))) {
            font = QFont(QLatin1String(family));
            break;
        }
    }
    font.setPointSizeF(8.25);
    font.setBold(bold);
    return font;
}

}  // namespace corvath
