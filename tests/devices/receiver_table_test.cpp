#include "devices/receiver/radio_header.h"
#include "devices/receiver/receiver_table.h"
#include "meters/table/grid_csv.h"
#include "meters/table/string_grid_model.h"
#include "test_support.h"

#include "../mbus/qstring_print.h"

#include <QDir>

#include <gtest/gtest.h>

namespace holvex::receiver {
namespace {

QString q(const char* text) {
    return QString::fromUtf8(text);
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

// A receiver table as the bus builds it.
struct ReceiverGrid {
    ReceiverGrid() { applyReceiverTableHeadings(table); }
    StringGridModel table{kReceiverColumns, kReceiverTableMaxRows};
};

void setIds(StringGridModel& table, const QStringList& ids) {
    QList<QStringList> rows;
    for (const QString& id : ids) {
        rows.append({id, id.right(1)});
    }
    table.setRowCount(2);
    table.setRows(1, rows);
}

TEST(ReceiverTable, RowsBoxesAndKeyFilters) {
    ReceiverGrid grid;
    StringGridModel& table = grid.table;
    EXPECT_EQ(table.headings(), receiverTableTitles());
    EXPECT_EQ(table.dataRowCount(), 1);
    EXPECT_TRUE(isReceiverTableEmpty(table));

    // "Add row" stops at 450 data rows.
    int added = 0;
    while (addReceiverRow(table)) {
        ++added;
    }
    EXPECT_EQ(added, kMaxReceiverRows - 1);
    EXPECT_EQ(table.dataRowCount(), kMaxReceiverRows);

    // "Delete Row": later rows move up, the boxes stay on their row numbers.
    setIds(table, {q("1"), q("2"), q("3"), q("4")});
    table.setMarked(2, true);
    table.setMarked(4, true);
    EXPECT_FALSE(deleteReceiverRow(table, 0));
    EXPECT_FALSE(deleteReceiverRow(table, 5));
    ASSERT_TRUE(deleteReceiverRow(table, 2));
    EXPECT_EQ(column(table, 0), (QStringList{q("1"), q("3"), q("4")}));
    EXPECT_EQ(marks(table), (QList<bool>{false, true, false}));
    EXPECT_FALSE(isReceiverTableEmpty(table));

    setAllReceiverRowsTicked(table, true);
    EXPECT_EQ(table.markedRowCount(), 3);
    setAllReceiverRowsTicked(table, false);
    EXPECT_EQ(table.markedRowCount(), 0);

    // The last data row is emptied, not removed.
    setIds(table, {q("7")});
    ASSERT_TRUE(deleteReceiverRow(table, 1));
    EXPECT_EQ(table.dataRowCount(), 1);
    EXPECT_TRUE(isReceiverTableEmpty(table));

    table.setMarked(1, true);
    clearReceiverTable(table);
    EXPECT_EQ(table.markedRowCount(), 0);

    // Digits only in "ID ", "Addr. ", "Version ", "Device " and "Note "; editing keys everywhere.
    for (int c = 0; c < kReceiverColumns; ++c) {
        const bool digitsOnly = c == 0 || c == 1 || c == 3 || c == 4 || c == 6;
        EXPECT_TRUE(receiverCellAccepts(c, QChar(u'7'))) << c;
        EXPECT_EQ(receiverCellAccepts(c, QChar(u'A')), !digitsOnly) << c;
        for (const char16_t key : {u'\b', u'\r', u'\n'}) {
            EXPECT_TRUE(receiverCellAccepts(c, QChar(key))) << c;
        }
    }
}

TEST(ReceiverTable, FillFromTheMeterTableAndTheCsvRoundTrip) {
    StringGridModel meters(12, 600);
    QList<QStringList> rows;
    for (int i = 1; i <= 3; ++i) {
        QStringList cells(12, QString());
        cells[0] = QStringLiteral("1234567") + QString::number(i);
        cells[1] = QString::number(i);
        cells[2] = q("SEN");
        cells[3] = q("12.5");
        cells[5] = q("Water");
        rows.append(cells);
    }
    rows.append(QStringList(12, QString())); // the empty row a scan leaves
    meters.setRowCount(2);
    meters.setRows(1, rows);

    ReceiverGrid grid;
    StringGridModel& table = grid.table;
    table.setMarked(1, true);
    EXPECT_EQ(fillReceiverTable(table, meters), 3);
    EXPECT_EQ(table.dataRowCount(), 3);
    EXPECT_EQ(table.markedRowCount(), 0);
    EXPECT_EQ(table.row(2), (QStringList{q("12345672"), q("2"), q("SEN"), q(""), q(""), q("Water"), q(""),
                                         q(""), q(""), q("")}));

    // More meters than the receiver keeps: the table stops at 450 rows.
    QList<QStringList> many;
    for (int i = 0; i < 520; ++i) {
        many.append({QString::number(i), QString::number(i % 250 + 1)});
    }
    meters.setRows(1, many);
    EXPECT_EQ(fillReceiverTable(table, meters), kMaxReceiverRows);

    // What the table exports it imports again, all ten columns; an unreadable file keeps the table.
    setIds(table, {q("11111111"), q("22222222")});
    for (int c = 2; c < kReceiverColumns; ++c) {
        table.setCell(2, c, QStringLiteral("c") + QString::number(c));
    }
    // A long telegram comes back whole.
    table.setCell(2, 8, QString(QStringLiteral("2F ")).repeated(120));
    const QStringList before = table.row(2);
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(kReceiverTableCsvName);
    ASSERT_TRUE(saveGridCsv(table, path, q(";")).ok);
    table.setMarked(1, true);
    EXPECT_EQ(importReceiverTable(QDir(dir.path()).filePath(q("missing.csv")), table, q(";"), false).outcome,
              CsvLoadResult::Outcome::Unreadable);
    EXPECT_TRUE(table.isMarked(1));
    EXPECT_EQ(importReceiverTable(path, table, q(";"), false).outcome, CsvLoadResult::Outcome::Loaded);
    EXPECT_EQ(table.dataRowCount(), 2);
    EXPECT_EQ(table.row(2), before);
    EXPECT_EQ(table.markedRowCount(), 0);

    const QString wide = test::writeFile(dir, q("wide.csv"), "1;2;3;4;5;6;7;8;9;10;11;\r\n");
    EXPECT_EQ(importReceiverTable(wide, table, q(";"), false).outcome, CsvLoadResult::Outcome::TooManyFields);
}

TEST(ReceiverTable, AcquiredTelegramsFillTheFirstRowThenAppendAndExcludeIdentical) {
    const QByteArray water = test::hex("68 0E 44 93 15 78 56 34 12 33 07 7A 2A 00 00 00 16");
    const QByteArray converter = test::hex("68 12 44 A2 05 44 00 00 57 0C 37 72 21 43 65 87 A2 05 0C 07 16");
    ReceiverGrid grid;
    StringGridModel& table = grid.table;

    struct Step {
        QByteArray telegram;
        bool exclude;
        int rowWritten;
    };
    const Step steps[] = {
        {water, true, 1},     // the empty first row is filled
        {water, true, 0},     // the same ID again is dropped
        {converter, true, 2}, // another meter is appended
        {water, false, 3},    // without "Exclude identical" it comes again
    };
    for (const Step& step : steps) {
        const AcquiredTelegram acquired = acquireTelegram(step.telegram, receiverTableIds(table),
                                                          step.exclude, q("08/12/2026"), q("10:00"));
        EXPECT_EQ(placeAcquiredTelegram(table, acquired), step.rowWritten);
    }
    EXPECT_EQ(column(table, 0), (QStringList{q("12345678"), q("57000044"), q("12345678")}));
    EXPECT_EQ(column(table, 7), (QStringList{q(""), q("87654321"), q("")}));
    EXPECT_EQ(table.cell(2, 6), q("L=0x12, C=0x44"));
    EXPECT_EQ(table.cell(1, 5), q("Water"));
}

} // namespace
} // namespace holvex::receiver
