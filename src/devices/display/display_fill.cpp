#include "devices/display/display_fill.h"

#include "devices/display/display_columns.h"
#include "devices/display/display_table.h"
#include "meters/table/string_grid_model.h"

#include <algorithm>
#include <cmath>

namespace holvex::display {

namespace {

// Meter-table columns the fill reads.
constexpr int kMeterIdColumn = 0;
constexpr int kMeterAddressColumn = 1;
constexpr int kMeterValueColumn = 3;
constexpr int kMeterUnitColumn = 4;
constexpr int kMeterPulseColumn = 9;

bool isBlankRow(const StringGridModel& table, int row) {
    for (int c = 0; c < table.gridColumnCount(); ++c) {
        if (!table.cell(row, c).isEmpty()) {
            return false;
        }
    }
    return true;
}

} // namespace

QString displayStartValue(const QString& meterValue, QChar decimalSeparator) {
    QString text = meterValue.trimmed();
    if (decimalSeparator != u'.') {
        text.replace(decimalSeparator, u'.');
    }
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        return QStringLiteral("0");
    }
    QString start = QString::number(value, 'f', 1);
    if (start == QStringLiteral("-0.0")) {
        start = QStringLiteral("0.0"); // a small negative reading
    }
    start.replace(u'.', decimalSeparator);
    return start;
}

QString displayMultDivForPulse(const QString& pulse) {
    if (pulse == QStringLiteral("MB1")) {
        return QStringLiteral("1/1");
    }
    if (pulse == QStringLiteral("MB2")) {
        return QStringLiteral("10/1");
    }
    return QStringLiteral("0/0");
}

DisplayFillResult fillDisplayTable(StringGridModel& display, const StringGridModel& meters,
                                   QChar decimalSeparator) {
    clearDisplayTable(display);
    int count = meters.dataRowCount();
    // Only the scan's trailing empty row is left behind; the last meter of a loaded file stays.
    if (count > 1 && isBlankRow(meters, count)) {
        --count;
    }
    DisplayFillResult result;
    const int room = std::min(kDisplayMaxDataRows, display.maxRowCount() - 1);
    result.rowsLeftOut = std::max(0, count - room);
    count -= result.rowsLeftOut;

    QList<QStringList> rows;
    rows.reserve(count);
    int userNumber = 0;
    for (int r = 1; r <= count; ++r) {
        QStringList cells(kDisplayColumnCount, QString());
        cells[kDisplayIdColumn] = meters.cell(r, kMeterIdColumn);
        cells[kDisplayAddressColumn] = meters.cell(r, kMeterAddressColumn);
        cells[kDisplayUnitColumn] = meters.cell(r, kMeterUnitColumn);
        if (!cells[kDisplayAddressColumn].isEmpty()) {
            cells[kDisplayStartColumn] =
                displayStartValue(meters.cell(r, kMeterValueColumn), decimalSeparator);
            cells[kDisplayMultDivColumn] = displayMultDivForPulse(meters.cell(r, kMeterPulseColumn));
            cells[kDisplayUserNumberColumn] = QString::number(++userNumber);
        }
        rows.append(cells);
    }
    result.rowsCopied = std::max(1, display.setRows(1, rows));
    return result;
}

} // namespace holvex::display
