#pragma once

#include "devices/display/display_columns.h"
#include "lang/message_language.h"
#include "meters/table/string_grid_model.h"

namespace holvex::display {

// The readings (history) table: the display table's columns "ID " .. "Tarr 3 " followed by the twelve
// months, "Jan" in column 12 to "Dec" in column 23.
inline constexpr int kReadingsColumnCount = 24;
inline constexpr int kReadingsFirstMonthColumn = 12;

// The two tables of the display unit's pages, owned by the bus so that the pages, the operations and the
// command-line tool all work on the same models: the display table of page 3 (13 columns, its marks are the
// rows' selection boxes) and the readings table of page 4 (24 columns). Both hold at most 250 data rows and
// are editable.
class DisplayTables {
public:
    DisplayTables();
    DisplayTables(const DisplayTables&) = delete;
    DisplayTables& operator=(const DisplayTables&) = delete;

    StringGridModel& display() { return m_display; }
    const StringGridModel& display() const { return m_display; }
    StringGridModel& readings() { return m_readings; }
    const StringGridModel& readings() const { return m_readings; }

    // The headings of both tables in the language: the display table's titles, the readings table's shared
    // titles and its month names.
    void applyHeadings(TickedLanguage language);

private:
    StringGridModel m_display;
    StringGridModel m_readings;
};

} // namespace holvex::display
