#include "bus/clock_text.h"

#include <QDate>
#include <QLocale>
#include <QTime>

namespace holvex {

QString clockTime() {
    return QLocale::system().toString(QTime::currentTime(), QStringLiteral("HH:mm:ss"));
}

QString clockDate() {
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
}

QString readingTime() {
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return QLocale::system().toString(QTime::currentTime(), format.trimmed());
}

QString readingDate() {
    return clockDate();
}

QChar systemDecimalSeparator() {
    const QString point = QLocale::system().decimalPoint();
    return point.isEmpty() ? QLatin1Char('.') : point.front();
}

} // namespace holvex
