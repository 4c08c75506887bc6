#pragma once

#include "lang/message_language.h"

#include <QString>
#include <QStringList>

namespace holvex {

class StringGridModel;
struct MeterRow;
struct RunState;

// The meter table's fixed layout.
inline constexpr int kMeterFixedColumns = 12;
inline constexpr int kMeterValueColumn = 3;
inline constexpr int kMeterBatteryColumn = 11;
inline constexpr int kMeterTableMaxRows = 450; // heading included
inline constexpr int kSelectionTextLength = 8; // SelectedId and SelectedAddress keep at most 8 characters

// Sets the column count to 12 + ExtraTitleCount and writes the headings of the language into row 0: the
// twelve fixed ones, each ending with a blank, then the extra titles.
void applyMeterTableHeadings(StringGridModel& table, TickedLanguage language, const RunState& state);

// Unmarks and empties rows 1..RowCount-1, then leaves two rows.
void clearMeterTable(StringGridModel& table);

// What a cell selection leaves for the page to show.
struct CellSelection {
    int row = 0; // the grid row made current (0: the heading row, nothing selected)
    bool relayCounterSet = false;
    QString relayCounter; // text for the hidden relay counter field when relayCounterSet
};

// The relay counter text for a value cell: the value times 1000 with no decimals ("12.345" gives "12345"),
// "0" when the cell is not a number. Both '.' and the system's decimal separator are accepted.
QString relayCounterText(const QString& valueCell);

// A cell of the given row was selected (click, keyboard, or the current row set by FocusRowByAddress).
CellSelection selectCell(const StringGridModel& table, int row, RunState& state);

// An empty SelectedAddress becomes "256"; the last row whose column 1 equals SelectedAddress is made current
// and selected as by SelectCell; with no such row the heading row is made current.
CellSelection focusRowByAddress(const StringGridModel& table, RunState& state);

// Label texts above the table.
QString selectedIdLabel(const RunState& state);
QString selectedAddressLabel(const RunState& state);

// A double click on the table: the release that ends it marks every row.
void noteTableDoubleClick(RunState& state);

// A mouse button released over grid row `row` (-1 or any row outside the grid: outside the rows).
void applyTableMouseRelease(StringGridModel& table, RunState& state, int row, bool ctrlHeld);

// Deletes the row FocusedRow: with only one data row its cells are emptied; otherwise the rows below move up.
// Marks stay with their row numbers. Nothing happens when FocusedRow is the heading or outside the rows.
// Returns whether the table changed.
bool deleteSelectedRow(StringGridModel& table, const RunState& state);

// What writing a decoded row did.
struct DecodedRowWrite {
    int rowsWritten = 0; // 0: the table did not change
    int lastRowWritten = 0;
    CellSelection focus; // the row to make current; only meaningful when rowsWritten > 0
};

// Files one decoded meter row into the table:
// - while ScanRunning, into the last row, then one empty row is added below unless the table is full
//   (a full table keeps overwriting its last row);
// - otherwise into every data row whose column 0 equals the ID (MatchRowById) or whose column 1 equals the
//   address; with MatchRowById and no match the row is added as during a scan; without it nothing changes.
// A battery text "0" leaves its cell alone. After a write SelectedId and SelectedAddress follow the written
// row and FocusRowByAddress runs.
DecodedRowWrite writeDecodedRow(StringGridModel& table, const MeterRow& row, RunState& state);

} // namespace holvex
