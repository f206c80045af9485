#include "qt/qt_shown_text.h"

#include "text/size_text.h"

#include <QLocale>

namespace corvath {

namespace {

QString withLocalDecimal(const std::string& text) {
    QString shown = QString::fromStdString(text);
    shown.replace(QLatin1Char('.'), QLocale().decimalPoint());
    return shown;
}

}  // namespace

QString sizeLabel(std::uint64_t bytes) { return withLocalDecimal(sizeText(bytes)); }

QString sizeChangeLabel(std::int64_t bytes) { return withLocalDecimal(sizeChangeText(bytes)); }

QString percentLabel(double percent) { return QLocale().toString(percent, 'f', 1) + QStringLiteral(" %"); }

}  // namespace corvath
