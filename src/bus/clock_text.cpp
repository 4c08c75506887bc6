#include "bus/clock_text.h"

#include <QDate>
#include <QLocale>
#include <QTime>

namespace holvex {

QString ClockTime() {
    return QLocale::system().toString(QTime::currentTime(), QStringLiteral("HH:mm:ss"));
}

QString ClockDate() {
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
}

QString ReadingTime() {
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return QLocale::system().toString(QTime::currentTime(), format.trimmed());
}

QString ReadingDate() {
    return ClockDate();
}

QChar SystemDecimalSeparator() {
    const QString point = QLocale::system().decimalPoint();
    return point.isEmpty() ? QLatin1Char('.') : point.front();
}

} // namespace holvex
