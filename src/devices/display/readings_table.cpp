#include "devices/display/readings_table.h"

#include "devices/display/display_columns.h"
#include "devices/display/display_tables.h"
#include "meters/table/string_grid_model.h"

#include <QList>
#include <QStringList>

#include <algorithm>
#include <vector>

namespace holvex::display {

namespace {

constexpr int kMaxUserNumber = 9999;

// The row's key, or 0 when it has none.
int sortKeyOf(const QString& cell, int maximum) {
    bool ok = false;
    const int key = cell.toInt(&ok);
    return ok && key >= 1 && key <= maximum ? key : 0;
}

} // namespace

void copyDisplayToReadings(const StringGridModel& display, StringGridModel& readings) {
    readings.clearDataRows();
    QList<QStringList> rows;
    for (int row = 1; row < display.gridRowCount(); ++row) {
        QStringList cells(kReadingsColumnCount, QString());
        for (int c = kDisplayIdColumn; c <= kDisplayTotalColumn; ++c) {
            cells[c] = display.cell(row, c);
        }
        rows.append(cells);
    }
    readings.setRowCount(static_cast<int>(rows.size()) + 1);
    readings.setRows(1, rows);
}

void sortReadings(StringGridModel& readings, ReadingsSortKey key) {
    const int column = key == ReadingsSortKey::Address ? kDisplayAddressColumn : kDisplayUserNumberColumn;
    const int maximum = key == ReadingsSortKey::Address ? kDisplayMaxAddress : kMaxUserNumber;
    struct Keyed {
        int key;
        QStringList cells;
    };
    std::vector<Keyed> rows;
    for (int row = 1; row < readings.gridRowCount(); ++row) {
        rows.push_back({sortKeyOf(readings.cell(row, column), maximum), readings.row(row)});
    }
    // Keyless rows (key 0) go after every keyed row; equal keys keep their order.
    std::stable_sort(rows.begin(), rows.end(), [](const Keyed& a, const Keyed& b) {
        if ((a.key == 0) != (b.key == 0)) {
            return b.key == 0;
        }
        return a.key < b.key;
    });
    QList<QStringList> sorted;
    for (const Keyed& row : rows) {
        sorted.append(row.cells);
    }
    readings.setRows(1, sorted);
}

} // namespace holvex::display
