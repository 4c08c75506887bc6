#include "meters/table/meter_table.h"

#include "bus/run_state.h"
#include "lang/caption_table.h"
#include "mbus/meter_row.h"
#include "meters/table/string_grid_model.h"

#include <QLocale>

#include <cmath>

namespace holvex {

namespace {

const QString kNoAddress = QStringLiteral("256");

bool parseNumber(const QString& text, double& value) {
    bool ok = false;
    value = text.trimmed().toDouble(&ok);
    if (!ok) {
        value = QLocale::system().toDouble(text.trimmed(), &ok);
    }
    return ok && std::isfinite(value);
}

bool isDataRow(const StringGridModel& table, int row) {
    return row > 0 && row < table.gridRowCount();
}

// The cells of a decoded row in column order; the battery cell keeps its old text when the decoder gave "0".
QStringList cellsFor(const StringGridModel& table, int targetRow, const MeterRow& meter) {
    QStringList cells{meter.id,   meter.address, meter.manufacturer, meter.value, meter.unit,  meter.medium,
                      meter.time, meter.date,    meter.status,       meter.pulse, meter.model, meter.battery};
    if (meter.battery == QStringLiteral("0")) {
        cells[kMeterBatteryColumn] = table.cell(targetRow, kMeterBatteryColumn);
    }
    for (int c = kMeterFixedColumns; c < table.gridColumnCount(); ++c) {
        const int slot = c - kMeterFixedColumns;
        cells.append(slot < meter.extra.size() ? meter.extra[slot] : QString());
    }
    return cells;
}

// Writes the last row and adds an empty one below while the table has room; a full table keeps overwriting
// its last row.
int appendDecodedRow(StringGridModel& table, const MeterRow& meter) {
    const int target = table.gridRowCount() - 1;
    table.setRow(target, cellsFor(table, target, meter));
    table.appendRow();
    return target;
}

} // namespace

void applyMeterTableHeadings(StringGridModel& table, TickedLanguage language, const RunState& state) {
    table.setHeadings(meterTableHeadings(language, state.ExtraTitleCount, state.ExtraTitles));
}

void clearMeterTable(StringGridModel& table) {
    for (int r = 1; r < table.gridRowCount(); ++r) {
        table.setMarked(r, false);
    }
    table.clearDataRows();
}

QString relayCounterText(const QString& valueCell) {
    double value = 0.0;
    if (!parseNumber(valueCell, value)) {
        return QStringLiteral("0");
    }
    const QString text = QString::number(value * 1000.0, 'f', 0);
    return text == QStringLiteral("-0") ? QStringLiteral("0") : text;
}

CellSelection selectCell(const StringGridModel& table, int row, RunState& state) {
    CellSelection selection;
    selection.row = row;
    state.FocusedRow = row;
    if (!isDataRow(table, row)) {
        return selection;
    }
    state.SelectedId = table.cell(row, 0).left(kSelectionTextLength);
    const QString address = table.cell(row, 1).left(kSelectionTextLength);
    state.SelectedAddress = address.isEmpty() ? kNoAddress : address;
    if (state.SelectedAddress != kNoAddress) {
        selection.relayCounterSet = true;
        selection.relayCounter = relayCounterText(table.cell(row, kMeterValueColumn));
    }
    return selection;
}

CellSelection focusRowByAddress(const StringGridModel& table, RunState& state) {
    if (state.SelectedAddress.isEmpty()) {
        state.SelectedAddress = kNoAddress;
    }
    for (int r = table.gridRowCount() - 1; r >= 1; --r) {
        if (table.cell(r, 1) == state.SelectedAddress) {
            return selectCell(table, r, state);
        }
    }
    return selectCell(table, 0, state);
}

QString selectedIdLabel(const RunState& state) {
    return QStringLiteral("ID:") + state.SelectedId;
}

QString selectedAddressLabel(const RunState& state) {
    return state.SelectedAddress == kNoAddress ? QStringLiteral("Addr.:")
                                               : QStringLiteral("Addr.:") + state.SelectedAddress;
}

void noteTableDoubleClick(RunState& state) {
    state.MarkAllPending = true;
}

void applyTableMouseRelease(StringGridModel& table, RunState& state, int row, bool ctrlHeld) {
    if (state.MarkAllPending) {
        table.markAll();
        state.MarkAllPending = false;
        return;
    }
    if (isDataRow(table, row) && ctrlHeld) {
        table.toggleMark(row);
        return;
    }
    table.clearMarks();
    if (isDataRow(table, row)) {
        table.setMarked(row, true);
    }
}

bool deleteSelectedRow(StringGridModel& table, const RunState& state) {
    if (table.gridRowCount() == 2) {
        // The last data row stays so the next meter has a row to go into.
        return table.removeRow(1);
    }
    // The heading row is never overwritten: a focus on it deletes nothing.
    return table.removeRow(state.FocusedRow);
}

DecodedRowWrite writeDecodedRow(StringGridModel& table, const MeterRow& meter, RunState& state) {
    DecodedRowWrite result;
    if (state.ScanRunning) {
        result.lastRowWritten = appendDecodedRow(table, meter);
        result.rowsWritten = 1;
    } else {
        for (int r = 1; r < table.gridRowCount(); ++r) {
            const bool matches =
                state.MatchRowById ? table.cell(r, 0) == meter.id : table.cell(r, 1) == meter.address;
            if (matches) {
                table.setRow(r, cellsFor(table, r, meter));
                result.lastRowWritten = r;
                ++result.rowsWritten;
            }
        }
        if (result.rowsWritten == 0 && state.MatchRowById) {
            result.lastRowWritten = appendDecodedRow(table, meter);
            result.rowsWritten = 1;
        }
    }
    if (result.rowsWritten == 0) {
        return result;
    }
    state.SelectedId = meter.id.left(kSelectionTextLength);
    state.SelectedAddress = table.cell(result.lastRowWritten, 1).left(kSelectionTextLength);
    result.focus = focusRowByAddress(table, state);
    return result;
}

} // namespace holvex
