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

bool ParseNumber(const QString& text, double& value) {
    bool ok = false;
    value = text.trimmed().toDouble(&ok);
    if (!ok) {
        value = QLocale::system().toDouble(text.trimmed(), &ok);
    }
    return ok && std::isfinite(value);
}

bool IsDataRow(const StringGridModel& table, int row) {
    return row > 0 && row < table.RowCount();
}

// The cells of a decoded row in column order; the battery cell keeps its old text when the decoder gave "0".
QStringList CellsFor(const StringGridModel& table, int targetRow, const MeterRow& meter) {
    QStringList cells{meter.id,   meter.address, meter.manufacturer, meter.value, meter.unit,  meter.medium,
                      meter.time, meter.date,    meter.status,       meter.pulse, meter.model, meter.battery};
    if (meter.battery == QStringLiteral("0")) {
        cells[kMeterBatteryColumn] = table.Cell(targetRow, kMeterBatteryColumn);
    }
    for (int c = kMeterFixedColumns; c < table.ColumnCount(); ++c) {
        const int slot = c - kMeterFixedColumns;
        cells.append(slot < meter.extra.size() ? meter.extra[slot] : QString());
    }
    return cells;
}

// Writes the last row and adds an empty one below while the table has room; a full table keeps overwriting
// its last row.
int AppendDecodedRow(StringGridModel& table, const MeterRow& meter) {
    const int target = table.RowCount() - 1;
    table.SetRow(target, CellsFor(table, target, meter));
    table.AppendRow();
    return target;
}

} // namespace

void ApplyMeterTableHeadings(StringGridModel& table, TickedLanguage language, const RunState& state) {
    table.SetHeadings(MeterTableHeadings(language, state.ExtraTitleCount, state.ExtraTitles));
}

void ClearMeterTable(StringGridModel& table) {
    for (int r = 1; r < table.RowCount(); ++r) {
        table.SetMarked(r, false);
    }
    table.ClearDataRows();
}

QString RelayCounterText(const QString& valueCell) {
    double value = 0.0;
    if (!ParseNumber(valueCell, value)) {
        return QStringLiteral("0");
    }
    const QString text = QString::number(value * 1000.0, 'f', 0);
    return text == QStringLiteral("-0") ? QStringLiteral("0") : text;
}

CellSelection SelectCell(const StringGridModel& table, int row, RunState& state) {
    CellSelection selection;
    selection.row = row;
    state.FocusedRow = row;
    if (!IsDataRow(table, row)) {
        return selection;
    }
    state.SelectedId = table.Cell(row, 0).left(kSelectionTextLength);
    const QString address = table.Cell(row, 1).left(kSelectionTextLength);
    state.SelectedAddress = address.isEmpty() ? kNoAddress : address;
    if (state.SelectedAddress != kNoAddress) {
        selection.relayCounterSet = true;
        selection.relayCounter = RelayCounterText(table.Cell(row, kMeterValueColumn));
    }
    return selection;
}

CellSelection FocusRowByAddress(const StringGridModel& table, RunState& state) {
    if (state.SelectedAddress.isEmpty()) {
        state.SelectedAddress = kNoAddress;
    }
    for (int r = table.RowCount() - 1; r >= 1; --r) {
        if (table.Cell(r, 1) == state.SelectedAddress) {
            return SelectCell(table, r, state);
        }
    }
    return SelectCell(table, 0, state);
}

QString SelectedIdLabel(const RunState& state) {
    return QStringLiteral("ID:") + state.SelectedId;
}

QString SelectedAddressLabel(const RunState& state) {
    return state.SelectedAddress == kNoAddress ? QStringLiteral("Addr.:")
                                               : QStringLiteral("Addr.:") + state.SelectedAddress;
}

void NoteTableDoubleClick(RunState& state) {
    state.MarkAllPending = true;
}

void ApplyTableMouseRelease(StringGridModel& table, RunState& state, int row, bool ctrlHeld) {
    if (state.MarkAllPending) {
        table.MarkAll();
        state.MarkAllPending = false;
        return;
    }
    if (IsDataRow(table, row) && ctrlHeld) {
        table.ToggleMark(row);
        return;
    }
    table.ClearMarks();
    if (IsDataRow(table, row)) {
        table.SetMarked(row, true);
    }
}

bool DeleteSelectedRow(StringGridModel& table, const RunState& state) {
    if (table.RowCount() == 2) {
        // The last data row stays so the next meter has a row to go into.
        return table.RemoveRow(1);
    }
    // The heading row is never overwritten: a focus on it deletes nothing.
    return table.RemoveRow(state.FocusedRow);
}

DecodedRowWrite WriteDecodedRow(StringGridModel& table, const MeterRow& meter, RunState& state) {
    DecodedRowWrite result;
    if (state.ScanRunning) {
        result.lastRowWritten = AppendDecodedRow(table, meter);
        result.rowsWritten = 1;
    } else {
        for (int r = 1; r < table.RowCount(); ++r) {
            const bool matches =
                state.MatchRowById ? table.Cell(r, 0) == meter.id : table.Cell(r, 1) == meter.address;
            if (matches) {
                table.SetRow(r, CellsFor(table, r, meter));
                result.lastRowWritten = r;
                ++result.rowsWritten;
            }
        }
        if (result.rowsWritten == 0 && state.MatchRowById) {
            result.lastRowWritten = AppendDecodedRow(table, meter);
            result.rowsWritten = 1;
        }
    }
    if (result.rowsWritten == 0) {
        return result;
    }
    state.SelectedId = meter.id.left(kSelectionTextLength);
    state.SelectedAddress = table.Cell(result.lastRowWritten, 1).left(kSelectionTextLength);
    result.focus = FocusRowByAddress(table, state);
    return result;
}

} // namespace holvex
