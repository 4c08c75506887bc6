#include "transport/clock_text.h"

#include <QDate>
#include <QLocale>
#include <QTime>

namespace holvex::transport {

QString ClockTime() {
    return QLocale::system().toString(QTime::currentTime(), QStringLiteral("HH:mm:ss"));
}

QString ClockDate() {
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
}

} // namespace holvex::transport
