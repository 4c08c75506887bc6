#include "devices/display/display_table.h"

#include "meters/table/string_grid_model.h"

namespace holvex::display {

namespace {

constexpr char16_t kBackspace = 0x08;
constexpr char16_t kLineFeed = 0x0A;
constexpr char16_t kCarriageReturn = 0x0D;

bool isDigit(QChar key) {
    return key >= u'0' && key <= u'9';
}

} // namespace

void applyDisplayTableHeadings(StringGridModel& table, const QMap<int, QString>& headings) {
    table.setEditable(true);
    table.setColumnCount(kDisplayColumnCount);
    QStringList row = table.headings();
    row[kDisplayIdColumn] = kDisplayIdTitle;
    row[kDisplayAddressColumn] = kDisplayAddressTitle;
    row[kDisplayUnitColumn] = kDisplayUnitTitle;
    for (auto it = headings.cbegin(); it != headings.cend(); ++it) {
        if (it.key() >= 0 && it.key() < kDisplayColumnCount) {
            row[it.key()] = it.value();
        }
    }
    table.setRow(0, row);
}

void clearDisplayTable(StringGridModel& table) {
    table.clearMarks();
    table.clearDataRows();
}

bool addDisplayRow(StringGridModel& table) {
    if (table.dataRowCount() >= kDisplayMaxDataRows) {
        return false;
    }
    const int row = table.appendRow();
    if (row == 0) {
        return false;
    }
    // A box left ticked by a row deleted earlier must not reappear on the new row.
    table.setMarked(row, false);
    return true;
}

bool deleteDisplayRow(StringGridModel& table, int currentRow) {
    const int last = table.gridRowCount() - 1;
    if (currentRow < 1 || currentRow > last) {
        return false;
    }
    if (last == 1) {
        return table.removeRow(1);
    }
    for (int r = currentRow; r < last; ++r) {
        table.setMarked(r, table.isMarked(r + 1));
    }
    table.setMarked(last, false);
    return table.removeRow(currentRow);
}

bool isDisplayTableEmpty(const StringGridModel& table) {
    return table.dataRowCount() == 1 && table.cell(1, kDisplayAddressColumn).isEmpty();
}

void setAllDisplayRowsTicked(StringGridModel& table, bool ticked) {
    for (int r = 1; r < table.gridRowCount(); ++r) {
        table.setMarked(r, ticked);
    }
}

bool displayCellAccepts(int column, QChar key) {
    if (key == kBackspace || key == kCarriageReturn || key == kLineFeed) {
        return true;
    }
    switch (column) {
    case kDisplayIdColumn:
    case kDisplayAddressColumn:
    case kDisplayUserNumberColumn:
        return isDigit(key);
    case kDisplayStartColumn:
        return isDigit(key) || key == u'.' || key == u',';
    case kDisplayMultDivColumn:
        return isDigit(key) || key == u'/';
    default:
        return true;
    }
}

} // namespace holvex::display
