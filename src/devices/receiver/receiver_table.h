#pragma once

#include "devices/receiver/radio_header.h"
#include "devices/receiver/receiver_row.h"
#include "meters/table/grid_csv.h"

#include <QChar>
#include <QString>
#include <QStringList>

#include <optional>

namespace holvex {
class StringGridModel;
}

namespace holvex::receiver {

// The rules of the receiver table, a StringGridModel of kReceiverColumns columns built with
// kReceiverTableMaxRows rows at most. Its marks are the rows' selection boxes: the programming run writes
// only the ticked rows. Unlike the display table's, a box stays on its row number when a row above it is
// deleted.

inline constexpr int kReceiverIdColumn = 0;
inline constexpr int kReceiverAddressColumn = 1;
inline constexpr int kReceiverMediumColumn = 5;
inline constexpr int kReceiverAuxiliaryIdColumn = 7;
inline constexpr int kReceiverTableMaxRows = kMaxReceiverRows + 1; // heading included

// Proposed name of an export.
inline const QString kReceiverTableCsvName = QStringLiteral("ravik_data.csv");

// Fields per imported line. The table's own export writes all ten columns, so the import takes as many:
// a smaller limit would refuse every file the table itself wrote.
inline constexpr int kReceiverImportFieldLimit = kReceiverColumns;
// Characters an imported cell keeps: a whole radio telegram as spaced hex (at most 256 bytes) fits, so a
// row read back from its file decodes as it did when it was acquired.
inline constexpr int kReceiverImportFieldLength = 3 * 256;

// Makes the table editable with kReceiverColumns columns and writes its headings (the same in every
// language).
void applyReceiverTableHeadings(StringGridModel& table);

// "Clear Table": every cell and box cleared, one empty data row left.
void clearReceiverTable(StringGridModel& table);

// "Add row": appends an empty, unticked row while the table has fewer than kMaxReceiverRows data rows.
bool addReceiverRow(StringGridModel& table);

// "Delete Row" on the current row. With one data row its cells are cleared; otherwise every later row moves
// up by one and the row count drops by one; the boxes stay where they are. Nothing happens without a current
// data row. Returns whether the table changed.
bool deleteReceiverRow(StringGridModel& table, int currentRow);

// Empty: no data row, or one whose address cell is empty. The programming run does not start then.
bool isReceiverTableEmpty(const StringGridModel& table);

// "Select All" / "Deselect All".
void setAllReceiverRowsTicked(StringGridModel& table, bool ticked);

// Whether a typed character may go into a cell of the column: "ID ", "Addr. ", "Version ", "Device " and
// "Note " take digits; backspace, CR and LF always; the other columns any character.
bool receiverCellAccepts(int column, QChar key);

// "Get from m-bus table": the receiver table rebuilt from the meter table's "ID ", "Addr. ", "Mfr. " and
// "Medium " columns, row for row, at most kMaxReceiverRows rows. The empty row a scan leaves at the end of
// the meter table is not copied. Returns the data rows copied.
int fillReceiverTable(StringGridModel& table, const StringGridModel& meters);

// "Import" once a file is chosen: when the file can be read, clears the table (cells and boxes) and loads
// the file into it. An unreadable file leaves the table as it was.
CsvLoadResult importReceiverTable(const QString& path, StringGridModel& table, const QString& separator,
                                  bool italian);

// One data row as a ReceiverRow; none for a row outside the table.
std::optional<ReceiverRow> receiverRowAt(const StringGridModel& table, int row);

// The "ID " cells of the data rows, in order.
QStringList receiverTableIds(const StringGridModel& table);

// Puts an acquired telegram where acquireTelegram placed it. Returns the row written, 0 when none.
int placeAcquiredTelegram(StringGridModel& table, const AcquiredTelegram& acquired);

} // namespace holvex::receiver
