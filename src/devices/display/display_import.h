#pragma once

#include "meters/table/grid_csv.h"

#include <QString>

namespace holvex {
class StringGridModel;
}

namespace holvex::display {

// Columns the readings table shares with the display table ("ID " .. "Tarr 3 "); an imported row fills
// these columns of the readings table as well.
inline constexpr int kReadingsSharedColumns = 12;

// The import settings of the display table: 14 fields per line, at most kDisplayTableMaxRows rows, and every
// row copied into the readings table too.
GridCsvLoadOptions displayImportOptions(StringGridModel& readings, const QString& separator, bool italian);

// "Import" once a file is chosen: when the file can be read, clears the display table (cells and boxes) and
// the readings table, then loads the file into both. An unreadable file leaves both tables as they were and
// returns Outcome::Unreadable with the box's title and text.
CsvLoadResult importDisplayTable(const QString& path, StringGridModel& display, StringGridModel& readings,
                                 const QString& separator, bool italian);

} // namespace holvex::display
