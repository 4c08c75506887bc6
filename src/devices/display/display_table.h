#pragma once

#include "devices/display/display_columns.h"

#include <QChar>
#include <QMap>
#include <QString>

namespace holvex {
class StringGridModel;
}

namespace holvex::display {

// The rules of the display table, a StringGridModel of kDisplayColumnCount columns built with
// kDisplayTableMaxRows rows at most. Its marks are the rows' selection boxes: a row is written to the unit
// only when its box is ticked. Unlike the meter table's marks, a box moves with its row when a row above it
// is deleted.

// Titles of the columns that are the same in every language.
inline const QString kDisplayIdTitle = QStringLiteral("ID ");
inline const QString kDisplayAddressTitle = QStringLiteral("Addr. ");
inline const QString kDisplayUnitTitle = QStringLiteral("Unit ");

// Proposed name of an export.
inline const QString kDisplayTableCsvName = QStringLiteral("lumetR7_data.csv");

// Makes the table editable with kDisplayColumnCount columns and writes the headings: columns 0..2 get the
// titles above unless `headings` gives them, every column `headings` names gets its text (columns outside
// the table are ignored), the others keep theirs.
void applyDisplayTableHeadings(StringGridModel& table, const QMap<int, QString>& headings);

// "Clear table": every cell and selection box cleared, one empty data row left.
void clearDisplayTable(StringGridModel& table);

// "Add row": appends an empty, unticked row while the table has fewer than kDisplayMaxDataRows data rows.
// Returns whether a row was added.
bool addDisplayRow(StringGridModel& table);

// "Delete row" on the current row (the row last selected in the grid). With one data row its cells are
// cleared; otherwise every later row moves up by one with its box, and the row count drops by one. Nothing
// happens without a current data row. Returns whether the table changed.
bool deleteDisplayRow(StringGridModel& table, int currentRow);

// The table counts as empty when it has one data row and that row's address cell is empty; a write then
// does not start.
bool isDisplayTableEmpty(const StringGridModel& table);

// "Select all" / "Deselect all": every data row's box ticked or cleared.
void setAllDisplayRowsTicked(StringGridModel& table, bool ticked);

// Whether a typed character may go into a cell of the column. ID, address and user number: digits; start
// value: digits, "." and ","; "Mult/Div ": digits and "/"; backspace, CR and LF always; the other columns
// take any character. A refused key is dropped.
bool displayCellAccepts(int column, QChar key);

} // namespace holvex::display
