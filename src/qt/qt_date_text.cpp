#include "qt/qt_date_text.h"

#include <QDateTime>

namespace corvath {
namespace {

QString format(const QDateTime& local) { return local.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); }

}  // namespace

QString whenText(std::chrono::system_clock::time_point time) {
    return format(QDateTime::fromMSecsSinceEpoch(
        std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count()));
}

QString whenText(std::int64_t secondsSinceEpoch) { return format(QDateTime::fromSecsSinceEpoch(secondsSinceEpoch)); }

}  // namespace corvath
