#pragma once

#include <QString>

namespace holvex {
class StringGridModel;
}

namespace holvex::display {

// The rules of page 4's readings table (see DisplayTables): filled from the display table, sorted, exported.

// Proposed name of an export; the export carries the heading.
inline const QString kReadingsTableCsvName = QStringLiteral("lumetR7_readings.csv");

// "Data from display window": the readings table gets the display table's rows with their columns "ID " to
// "Total "; the tariff and month columns stay empty.
void copyDisplayToReadings(const StringGridModel& display, StringGridModel& readings);

enum class ReadingsSortKey { Address, UserNumber };

// "Sort table": the rows whose key ("Addr. " 1..250, or "User numb. " 1..9999) is a number in range, by
// rising key, rows with equal keys in table order; then every row without such a key, in table order, so no
// reading is lost.
void sortReadings(StringGridModel& readings, ReadingsSortKey key);

} // namespace holvex::display
