// How the window looks on this desktop: its font and its icons.
#include "qt/qt_look.h"

#include "qt/qt_scalable_icon.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QStandardPaths>
#include <QStringList>

namespace corvath {

void prepareIconTheme() {
    QStringList paths = QIcon::themeSearchPaths();
    QStringList wanted;
    const QString home = QDir::homePath();
    wanted << home + "/.local/share/icons" << home + "/.icons";
    const QByteArray dataDirs = qgetenv("XDG_DATA_DIRS");
    const QString dirs = dataDirs.isEmpty() ? QStringLiteral("/usr/local/share:/usr/share") : QString::fromLocal8Bit(dataDirs);
    for (const QString& dir : dirs.split(':', Qt::SkipEmptyParts)) wanted << dir + "/icons";
    wanted << QStringLiteral("/usr/share/icons");
    for (const QString& path : wanted) {
        if (!paths.contains(path)) paths << path;
    }
    QIcon::setThemeSearchPaths(paths);
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor")) {
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    }
    if (QIcon::fallbackThemeName().isEmpty() || QIcon::fallbackThemeName() == QLatin1String("hicolor")) {
        QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    }
}

QIcon shippedDriveIcon(const QString& themeName) {
    const QString base = QStringLiteral(":/corvath/drives/%1").arg(themeName);
    if (themeName.isEmpty() || !QFile::exists(base + ".png")) return shippedDriveIcon(QStringLiteral("drive-harddisk"));
    return scalableIcon(base + ".svg", {base + ".png"});
}

QIcon driveIcon(const QString& themeName) {
    const QIcon fallback = shippedDriveIcon(themeName);
    if (themeName.isEmpty()) return fallback;
    return QIcon::fromTheme(themeName, fallback);
}

QIcon programIcon() {
    QStringList drawn;
    for (const int size : {16, 32, 48, 128}) drawn << QStringLiteral(":/corvath/icons/corvath-%1.png").arg(size);
    return scalableIcon(QStringLiteral(":/corvath/icons/corvath.svg"), drawn);
}

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
