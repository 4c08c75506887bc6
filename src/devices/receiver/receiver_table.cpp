#include "devices/receiver/receiver_table.h"

#include "meters/table/string_grid_model.h"

#include <QFile>

#include <algorithm>

namespace holvex::receiver {

namespace {

constexpr char16_t kBackspace = 0x08;
constexpr char16_t kLineFeed = 0x0A;
constexpr char16_t kCarriageReturn = 0x0D;

// Meter-table columns the fill reads.
constexpr int kMeterIdColumn = 0;
constexpr int kMeterAddressColumn = 1;
constexpr int kMeterManufacturerColumn = 2;
constexpr int kMeterMediumColumn = 5;
constexpr int kReceiverManufacturerColumn = 2;

bool isBlankRow(const StringGridModel& table, int row) {
    for (int c = 0; c < table.gridColumnCount(); ++c) {
        if (!table.cell(row, c).isEmpty()) {
            return false;
        }
    }
    return true;
}

} // namespace

void applyReceiverTableHeadings(StringGridModel& table) {
    table.setEditable(true);
    table.setColumnCount(kReceiverColumns);
    table.setRow(0, receiverTableTitles());
}

void clearReceiverTable(StringGridModel& table) {
    table.clearMarks();
    table.clearDataRows();
}

bool addReceiverRow(StringGridModel& table) {
    if (table.dataRowCount() >= kMaxReceiverRows) {
        return false;
    }
    const int row = table.appendRow();
    if (row == 0) {
        return false;
    }
    table.setMarked(row, false);
    return true;
}

bool deleteReceiverRow(StringGridModel& table, int currentRow) {
    const int last = table.gridRowCount() - 1;
    if (currentRow < 1 || currentRow > last) {
        return false;
    }
    return table.removeRow(currentRow);
}

bool isReceiverTableEmpty(const StringGridModel& table) {
    return table.dataRowCount() < 1 ||
           (table.dataRowCount() == 1 && table.cell(1, kReceiverAddressColumn).isEmpty());
}

void setAllReceiverRowsTicked(StringGridModel& table, bool ticked) {
    for (int r = 1; r < table.gridRowCount(); ++r) {
        table.setMarked(r, ticked);
    }
}

bool receiverCellAccepts(int column, QChar key) {
    if (key == kBackspace || key == kCarriageReturn || key == kLineFeed) {
        return true;
    }
    switch (column) {
    case 0:
    case 1:
    case 3:
    case 4:
    case 6:
        return key >= u'0' && key <= u'9';
    default:
        return true;
    }
}

int fillReceiverTable(StringGridModel& table, const StringGridModel& meters) {
    clearReceiverTable(table);
    int count = meters.dataRowCount();
    if (count > 1 && isBlankRow(meters, count)) {
        --count;
    }
    count = std::clamp(count, 0, std::min(kMaxReceiverRows, table.maxRowCount() - 1));
    QList<QStringList> rows;
    rows.reserve(count);
    for (int r = 1; r <= count; ++r) {
        QStringList cells(kReceiverColumns, QString());
        cells[kReceiverIdColumn] = meters.cell(r, kMeterIdColumn);
        cells[kReceiverAddressColumn] = meters.cell(r, kMeterAddressColumn);
        cells[kReceiverManufacturerColumn] = meters.cell(r, kMeterManufacturerColumn);
        cells[kReceiverMediumColumn] = meters.cell(r, kMeterMediumColumn);
        rows.append(cells);
    }
    if (rows.isEmpty()) {
        return 0;
    }
    table.setRowCount(count + 1);
    table.setRows(1, rows);
    return count;
}

CsvLoadResult importReceiverTable(const QString& path, StringGridModel& table, const QString& separator,
                                  bool italian) {
    // Checked before the table is cleared, so that a wrong choice does not cost the table on screen.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxCsvFileBytes) {
        CsvLoadResult result;
        result.outcome = CsvLoadResult::Outcome::Unreadable;
        result.title = kCsvLoadErrorTitle;
        result.message = kCsvWrongFileMessage;
        return result;
    }
    file.close();
    clearReceiverTable(table);
    GridCsvLoadOptions options;
    options.fieldLimit = kReceiverImportFieldLimit;
    options.fieldLength = kReceiverImportFieldLength;
    options.separator = separator;
    options.rowLimit = kReceiverTableMaxRows;
    options.italian = italian;
    return loadGridCsv(path, table, options);
}

std::optional<ReceiverRow> receiverRowAt(const StringGridModel& table, int row) {
    if (row < 1 || row >= table.gridRowCount()) {
        return std::nullopt;
    }
    return ReceiverRow::fromCells(table.row(row));
}

QStringList receiverTableIds(const StringGridModel& table) {
    QStringList ids;
    for (int r = 1; r < table.gridRowCount(); ++r) {
        ids.append(table.cell(r, kReceiverIdColumn));
    }
    return ids;
}

int placeAcquiredTelegram(StringGridModel& table, const AcquiredTelegram& acquired) {
    if (!acquired.row) {
        return 0;
    }
    int row = 0;
    switch (acquired.placement) {
    case RowPlacement::Dropped:
        return 0;
    case RowPlacement::FillFirstRow:
        if (table.gridRowCount() < 2) {
            table.setRowCount(2);
        }
        row = 1;
        break;
    case RowPlacement::AppendRow:
        row = table.appendRow();
        if (row == 0) {
            row = table.gridRowCount() - 1;
        } else {
            table.setMarked(row, false);
        }
        break;
    case RowPlacement::OverwriteLastRow:
        row = table.gridRowCount() - 1;
        break;
    }
    if (row < 1) {
        return 0;
    }
    table.setRow(row, acquired.row->cells());
    return row;
}

} // namespace holvex::receiver
