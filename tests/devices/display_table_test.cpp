#include "devices/display/display_columns.h"
#include "devices/display/display_fill.h"
#include "devices/display/display_import.h"
#include "devices/display/display_table.h"
#include "meters/table/string_grid_model.h"
#include "test_support.h"

#include "../mbus/qstring_print.h"

#include <gtest/gtest.h>

namespace holvex::display {
namespace {

QString q(const char* text) {
    return QString::fromUtf8(text);
}

// A display table with the given address cells, one data row each.
void fillAddresses(StringGridModel& table, const QStringList& addresses) {
    QList<QStringList> rows;
    for (const QString& address : addresses) {
        rows.append({QStringLiteral("id") + address, address});
    }
    table.setRowCount(2);
    table.setRows(1, rows);
}

QStringList column(const StringGridModel& table, int c) {
    QStringList cells;
    for (int r = 1; r < table.gridRowCount(); ++r) {
        cells.append(table.cell(r, c));
    }
    return cells;
}

QList<bool> marks(const StringGridModel& table) {
    QList<bool> result;
    for (int r = 1; r < table.gridRowCount(); ++r) {
        result.append(table.isMarked(r));
    }
    return result;
}

// A meter-table row: ID, address, value, unit and pulse in their columns.
QStringList meter(const char* id, const char* address, const char* value, const char* unit,
                  const char* pulse) {
    QStringList cells(12, QString());
    cells[0] = q(id);
    cells[1] = q(address);
    cells[2] = q("ABC");
    cells[3] = q(value);
    cells[4] = q(unit);
    cells[9] = q(pulse);
    return cells;
}

TEST(DisplayTable, HeadingsAreTakenFromTheCallerOverTheFixedOnes) {
    StringGridModel table(3, kDisplayTableMaxRows);
    applyDisplayTableHeadings(table, {{3, q("Start ")}, {5, q("Num. utente ")}, {20, q("ignored")}});
    EXPECT_EQ(table.gridColumnCount(), kDisplayColumnCount);
    EXPECT_TRUE(table.editable());
    EXPECT_EQ(table.heading(0), q("ID "));
    EXPECT_EQ(table.heading(1), q("Addr. "));
    EXPECT_EQ(table.heading(2), q("Unit "));
    EXPECT_EQ(table.heading(5), q("Num. utente "));
    applyDisplayTableHeadings(table, {{5, q("User numb. ")}, {0, q("Id ")}});
    EXPECT_EQ(table.heading(0), q("Id "));
    EXPECT_EQ(table.heading(3), q("Start ")) << "a column not named keeps its heading";
    EXPECT_EQ(table.heading(5), q("User numb. "));
}

TEST(DisplayTable, ClearAddAndTheEmptyTable) {
    StringGridModel table(kDisplayColumnCount, kDisplayTableMaxRows);
    EXPECT_TRUE(isDisplayTableEmpty(table));
    fillAddresses(table, {q("1"), q("2"), q("3")});
    EXPECT_FALSE(isDisplayTableEmpty(table));
    setAllDisplayRowsTicked(table, true);
    EXPECT_EQ(marks(table), QList<bool>({true, true, true}));
    setAllDisplayRowsTicked(table, false);
    EXPECT_EQ(table.markedRowCount(), 0);
    table.setMarked(3, true);

    clearDisplayTable(table);
    EXPECT_EQ(table.dataRowCount(), 1);
    EXPECT_TRUE(isDisplayTableEmpty(table));
    EXPECT_EQ(table.cell(1, 0), QString());
    while (addDisplayRow(table)) {
    }
    EXPECT_EQ(table.dataRowCount(), kDisplayMaxDataRows);
    EXPECT_EQ(table.markedRowCount(), 0) << "the row that was ticked before the clear comes back unticked";
    EXPECT_FALSE(isDisplayTableEmpty(table)) << "more than one row";

    // One row with an ID but no address still counts as empty.
    clearDisplayTable(table);
    table.setCell(1, kDisplayIdColumn, q("12345678"));
    EXPECT_TRUE(isDisplayTableEmpty(table));
}

TEST(DisplayTable, DeletedRowsTakeTheLaterRowsAndTheirBoxesUp) {
    StringGridModel table(kDisplayColumnCount, kDisplayTableMaxRows);
    fillAddresses(table, {q("1"), q("2"), q("3"), q("4")});
    table.setMarked(1, true);
    table.setMarked(3, true);
    table.setMarked(4, true);

    EXPECT_TRUE(deleteDisplayRow(table, 2));
    EXPECT_EQ(column(table, kDisplayAddressColumn), QStringList({q("1"), q("3"), q("4")}));
    EXPECT_EQ(marks(table), QList<bool>({true, true, true}));
    EXPECT_FALSE(table.isMarked(4)) << "the vacated row keeps no box";
    EXPECT_TRUE(addDisplayRow(table));
    EXPECT_FALSE(table.isMarked(4));

    EXPECT_TRUE(deleteDisplayRow(table, 4));
    EXPECT_TRUE(deleteDisplayRow(table, 1));
    EXPECT_EQ(column(table, kDisplayAddressColumn), QStringList({q("3"), q("4")}));
    EXPECT_EQ(marks(table), QList<bool>({true, true}));

    EXPECT_FALSE(deleteDisplayRow(table, 0));
    EXPECT_FALSE(deleteDisplayRow(table, 3));
    EXPECT_EQ(table.dataRowCount(), 2);

    EXPECT_TRUE(deleteDisplayRow(table, 1));
    EXPECT_TRUE(deleteDisplayRow(table, 1));
    EXPECT_EQ(table.dataRowCount(), 1) << "the only row is emptied, not removed";
    EXPECT_EQ(table.cell(1, kDisplayIdColumn), QString());
    EXPECT_TRUE(isDisplayTableEmpty(table));
}

struct KeyCase {
    int column;
    const char* accepted;
    const char* refused;
};

TEST(DisplayTable, KeyFiltersPerColumn) {
    const KeyCase cases[] = {
        {kDisplayIdColumn, "0123456789\b\r\n", "a.,/ -"}, {kDisplayAddressColumn, "0189\b", "a., "},
        {kDisplayUnitColumn, "mM3 kWh/.,", ""},           {kDisplayStartColumn, "09.,\b\r\n", "/a -e"},
        {kDisplayMultDivColumn, "09/\b\r\n", ".,a "},     {kDisplayUserNumberColumn, "09\b", ".a/"},
        {kDisplayFreeTextColumn, "aZ ,./\u00e8", ""},     {kDisplayTotalColumn, "x1.", ""},
        {kDisplayFirstTariffColumn, "x1.", ""},           {kDisplayFreeText2Column, "aZ ,./", ""},
    };
    for (const KeyCase& c : cases) {
        for (const QChar key : q(c.accepted)) {
            EXPECT_TRUE(displayCellAccepts(c.column, key)) << c.column << " " << int(key.unicode());
        }
        for (const QChar key : q(c.refused)) {
            EXPECT_FALSE(displayCellAccepts(c.column, key)) << c.column << " " << int(key.unicode());
        }
    }
}

TEST(DisplayFill, AfterAScanEveryMeterIsCopiedWithItsRunningUserNumber) {
    StringGridModel meters(12, 450);
    meters.setRows(1,
                   {meter("11111111", "1", "12.345", "m3", "MB1"), meter("22222222", "", "5", "kWh", "MB2"),
                    meter("33333333", "3", "abc", "kWh", "MB2"), meter("44444444", "4", "", "MJ", "10ms"),
                    meter("55555555", "5", "-0.01", "m3", "MB1/MB2")});
    meters.appendRow(); // the empty row a scan leaves behind

    StringGridModel display(kDisplayColumnCount, kDisplayTableMaxRows);
    fillAddresses(display, {q("9"), q("8"), q("7"), q("6"), q("5"), q("4"), q("3")});
    display.setMarked(2, true);

    const DisplayFillResult result = fillDisplayTable(display, meters, u'.');
    EXPECT_EQ(result.rowsCopied, 5);
    EXPECT_EQ(result.rowsLeftOut, 0);
    EXPECT_EQ(display.dataRowCount(), 5);
    EXPECT_EQ(column(display, kDisplayIdColumn),
              QStringList({q("11111111"), q("22222222"), q("33333333"), q("44444444"), q("55555555")}));
    EXPECT_EQ(column(display, kDisplayAddressColumn), QStringList({q("1"), q(""), q("3"), q("4"), q("5")}));
    EXPECT_EQ(column(display, kDisplayUnitColumn),
              QStringList({q("m3"), q("kWh"), q("kWh"), q("MJ"), q("m3")}));
    EXPECT_EQ(column(display, kDisplayStartColumn),
              QStringList({q("12.3"), q(""), q("0"), q("0"), q("0.0")}));
    EXPECT_EQ(column(display, kDisplayMultDivColumn),
              QStringList({q("1/1"), q(""), q("10/1"), q("0/0"), q("0/0")}));
    EXPECT_EQ(column(display, kDisplayUserNumberColumn),
              QStringList({q("1"), q(""), q("2"), q("3"), q("4")}));
    EXPECT_EQ(column(display, kDisplayFreeTextColumn), QStringList(5, QString()));
    EXPECT_EQ(display.markedRowCount(), 0) << "the fill ticks nothing and clears old boxes";
    EXPECT_FALSE(display.isMarked(2));
}

TEST(DisplayFill, AfterALoadTheLastMeterIsCopiedToo) {
    StringGridModel meters(12, 450);
    meters.setRows(1, {meter("1", "1", "7,5", "m3", ""), meter("2", "2", "3.24", "m3", "MB1")});
    StringGridModel display(kDisplayColumnCount, kDisplayTableMaxRows);
    EXPECT_EQ(fillDisplayTable(display, meters, u',').rowsCopied, 2);
    EXPECT_EQ(column(display, kDisplayAddressColumn), QStringList({q("1"), q("2")}));
    // Read with either separator, written with the locale's.
    EXPECT_EQ(column(display, kDisplayStartColumn), QStringList({q("7,5"), q("3,2")}));
    EXPECT_EQ(column(display, kDisplayUserNumberColumn), QStringList({q("1"), q("2")}));

    // A single meter, and a meter table holding only its empty row.
    StringGridModel one(12, 450);
    one.setRows(1, {meter("1", "9", "1", "m3", "MB2")});
    fillDisplayTable(display, one, u'.');
    EXPECT_EQ(column(display, kDisplayMultDivColumn), QStringList({q("10/1")}));
    fillDisplayTable(display, StringGridModel(12, 450), u'.');
    EXPECT_EQ(display.dataRowCount(), 1);
    EXPECT_TRUE(isDisplayTableEmpty(display));
}

TEST(DisplayFill, AFullMeterTableFillsTheDisplayTableToItsLimit) {
    StringGridModel meters(12, 450);
    QList<QStringList> rows;
    for (int i = 1; i <= 300; ++i) {
        rows.append(meter("1", "7", "1", "m3", ""));
    }
    meters.setRows(1, rows);
    meters.appendRow();
    StringGridModel display(kDisplayColumnCount, kDisplayTableMaxRows);
    const DisplayFillResult result = fillDisplayTable(display, meters, u'.');
    EXPECT_EQ(result.rowsCopied, kDisplayMaxDataRows);
    EXPECT_EQ(result.rowsLeftOut, 50);
    EXPECT_EQ(display.cell(kDisplayMaxDataRows, kDisplayUserNumberColumn), q("250"));
}

TEST(DisplayImport, RowsGoIntoBothTablesAndAWrongFileKeepsThem) {
    QTemporaryDir dir;
    const QString path = test::writeFile(dir, QStringLiteral("lumet.csv"),
                                         "1;2;m3;4;1/1;6;text;8;9;10;11;12;second;\r\n"
                                         "21;22;kWh;;;;;;;;;;;\r\n");
    StringGridModel display(kDisplayColumnCount, kDisplayTableMaxRows);
    StringGridModel readings(24, kDisplayTableMaxRows);
    fillAddresses(display, {q("1"), q("2"), q("3")});
    display.setMarked(1, true);
    readings.setRows(1, {QStringList(24, q("old")), QStringList(24, q("old")), QStringList(24, q("old"))});

    const QString missing = QDir(dir.path()).filePath(QStringLiteral("missing.csv"));
    CsvLoadResult result = importDisplayTable(missing, display, readings, q(";"), false);
    EXPECT_EQ(result.outcome, CsvLoadResult::Outcome::Unreadable);
    EXPECT_EQ(result.message, kCsvWrongFileMessage);
    EXPECT_EQ(display.dataRowCount(), 3);
    EXPECT_EQ(readings.dataRowCount(), 3);

    result = importDisplayTable(path, display, readings, q(";"), false);
    EXPECT_EQ(result.outcome, CsvLoadResult::Outcome::Loaded);
    EXPECT_EQ(display.dataRowCount(), 2);
    EXPECT_EQ(display.markedRowCount(), 0);
    EXPECT_EQ(display.cell(1, kDisplayFreeText2Column), q("second"));
    EXPECT_EQ(display.cell(2, kDisplayUnitColumn), q("kWh"));
    EXPECT_EQ(readings.dataRowCount(), 2);
    EXPECT_EQ(readings.cell(1, kReadingsSharedColumns - 1), q("12"));
    EXPECT_EQ(readings.cell(1, kReadingsSharedColumns), QString()) << "January is not the second free text";
    EXPECT_EQ(readings.cell(2, 0), q("21"));

    const QString wide =
        test::writeFile(dir, QStringLiteral("wide.csv"), "1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;\r\n");
    result = importDisplayTable(wide, display, readings, q(";"), false);
    EXPECT_EQ(result.outcome, CsvLoadResult::Outcome::TooManyFields);
    EXPECT_EQ(displayImportOptions(readings, q(","), true).fieldLimit, 14);
}

} // namespace
} // namespace holvex::display
