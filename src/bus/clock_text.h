#pragma once

#include <QChar>
#include <QString>

namespace holvex {

// The time and date as the connection lines of the event log show them.
QString clockTime();
QString clockDate();

// The time and date columns of a decoded meter row: the system's long time format (without the time zone,
// which only widens the column) and short date format.
QString readingTime();
QString readingDate();

// The system's decimal separator, for the values shown in the tables.
QChar systemDecimalSeparator();

} // namespace holvex
