#include "qt/qt_access_key.h"

namespace corvath {
namespace {

QString plain(QString text) { return text.replace(QLatin1Char('&'), QLatin1String("&&")); }

}  // namespace

QString withAccessKey(const std::string& english, const QString& shown, char key) {
    if (shown != QString::fromStdString(english)) return shown;
    qsizetype at = -1;
    if (key != 0) {
        at = shown.indexOf(QLatin1Char(key));
    } else {
        for (qsizetype i = 0; i < shown.size() && at < 0; ++i) {
            if (shown.at(i).isLetter()) at = i;
        }
    }
    if (at < 0) return plain(shown);
    return plain(shown.left(at)) + QLatin1Char('&') + plain(shown.mid(at));
}

}  // namespace corvath
