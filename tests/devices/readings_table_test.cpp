// Page 4's readings table: filled from the display table, sorted without losing a row, exported with its
// heading.
#include "devices/display/display_columns.h"
#include "devices/display/display_tables.h"
#include "devices/display/readings_table.h"
#include "meters/table/grid_csv.h"
#include "meters/table/string_grid_model.h"

#include "../mbus/qstring_print.h"

#include <gtest/gtest.h>

namespace holvex::display {
namespace {

// The readings rows as "address/user number/Jan".
QStringList keys(const StringGridModel& readings) {
    QStringList out;
    for (int row = 1; row < readings.gridRowCount(); ++row) {
        out.append(readings.cell(row, kDisplayAddressColumn) + QLatin1Char('/') +
                   readings.cell(row, kDisplayUserNumberColumn) + QLatin1Char('/') +
                   readings.cell(row, kReadingsFirstMonthColumn));
    }
    return out;
}

void setRows(StringGridModel& readings, const QList<QStringList>& addressUserJan) {
    QList<QStringList> rows;
    for (const QStringList& r : addressUserJan) {
        QStringList cells(kReadingsColumnCount, QString());
        cells[kDisplayAddressColumn] = r.at(0);
        cells[kDisplayUserNumberColumn] = r.at(1);
        cells[kReadingsFirstMonthColumn] = r.at(2);
        rows.append(cells);
    }
    readings.setRowCount(static_cast<int>(rows.size()) + 1);
    readings.setRows(1, rows);
}

struct SortCase {
    const char* name;
    ReadingsSortKey key;
    QStringList sorted;
};

TEST(ReadingsTable, SortingKeepsEveryRowAndPutsTheKeylessOnesLast) {
    const SortCase cases[] = {
        {"by user number",
         ReadingsSortKey::UserNumber,
         {"9/3/b", "1/7/c", "5/7/e", "4/12/a", "2//d", "251/10000/f", "x/0/g"}},
        {"by address",
         ReadingsSortKey::Address,
         {"1/7/c", "2//d", "4/12/a", "5/7/e", "9/3/b", "251/10000/f", "x/0/g"}},
    };
    for (const SortCase& c : cases) {
        DisplayTables tables;
        StringGridModel& readings = tables.readings();
        setRows(readings, {{"4", "12", "a"},
                           {"9", "3", "b"},
                           {"1", "7", "c"},
                           {"2", "", "d"},
                           {"251", "10000", "f"},
                           {"5", "7", "e"},
                           {"x", "0", "g"}});
        sortReadings(readings, c.key);
        EXPECT_EQ(keys(readings), c.sorted) << c.name;
    }
}

TEST(ReadingsTable, DataFromTheDisplayWindowCopiesIdToTotalAndExportsWithTheHeading) {
    DisplayTables tables;
    StringGridModel& display = tables.display();
    StringGridModel& readings = tables.readings();
    setRows(readings, {{"1", "1", "old"}, {"2", "2", "old"}, {"3", "3", "old"}});
    QStringList row(kDisplayColumnCount, QString());
    for (int c = 0; c < kDisplayColumnCount; ++c) {
        row[c] = QStringLiteral("c%1").arg(c);
    }
    display.setRowCount(3);
    display.setRows(1, {row, row});

    copyDisplayToReadings(display, readings);
    ASSERT_EQ(readings.dataRowCount(), 2);
    for (int r = 1; r <= 2; ++r) {
        for (int c = 0; c < kReadingsColumnCount; ++c) {
            EXPECT_EQ(readings.cell(r, c), c <= kDisplayTotalColumn ? row[c] : QString()) << r << "," << c;
        }
    }

    const QStringList lines =
        QString::fromLatin1(gridCsvBytes(readings, QStringLiteral(";"), true)).split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines.at(0), QString());
    EXPECT_TRUE(lines.at(1).startsWith(QStringLiteral("ID ;Addr. ;Unit ;"))) << lines.at(1).toStdString();
    EXPECT_TRUE(lines.at(1).contains(QStringLiteral(";Jan;Feb;"))) << lines.at(1).toStdString();
    EXPECT_TRUE(lines.at(2).startsWith(QStringLiteral("c0;c1;"))) << lines.at(2).toStdString();
}

} // namespace
} // namespace holvex::display
