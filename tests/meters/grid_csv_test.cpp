#include "meters/table/grid_csv.h"

#include "meters/table/meter_table.h"
#include "meters/table/string_grid_model.h"
#include "test_support.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace holvex {
namespace {

using test::readFile;
using test::writeFile;

const QString kSemicolon = QStringLiteral(";");

QStringList meterCells(const QString& id, const QString& value) {
    return {id, QStringLiteral("1"), QStringLiteral("ABC"), value, QStringLiteral("m3")};
}

// The meter table as a scan leaves it: the meters, then one empty row.
void fillMeters(StringGridModel& table, const QList<QStringList>& meters) {
    table.setRows(1, meters);
    table.appendRow();
}

TEST(GridCsv, NegativeValueWithCommaBecomesAllSeparators) {
    StringGridModel table(12);
    fillMeters(table, {meterCells("12345678", "-1.5")});
    const QByteArray bytes = gridCsvBytes(table, kSemicolon, false, kMeterValueColumn, QStringLiteral(","));
    EXPECT_TRUE(bytes.startsWith("12345678;1;ABC;,1,5;m3;;;;;;;;\r\n")) << bytes.constData();
    EXPECT_EQ(table.cell(1, 3), QStringLiteral("-1.5")) << "the table keeps its text";
    EXPECT_EQ(localisedValueText(QStringLiteral("12.345"), QStringLiteral(",")), QStringLiteral("12,345"));
    EXPECT_EQ(localisedValueText(QStringLiteral("1.5"), QString()), QStringLiteral("1.5"));
}

TEST(GridCsv, EveryLineHasOneFieldPerColumnEachFollowedByTheSeparator) {
    StringGridModel table(12 + 3);
    fillMeters(table, {meterCells("1", "2"), meterCells("3", "4")});
    const QList<QByteArray> lines = gridCsvBytes(table, kSemicolon, false).split('\n');
    ASSERT_EQ(lines.size(), 4); // three rows and the piece after the final line break
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(lines[i].endsWith(";\r")) << i;
        EXPECT_EQ(lines[i].count(';'), 15) << i;
    }
    EXPECT_TRUE(lines[3].isEmpty());
}

TEST(GridCsv, WithHeadingStartsWithAnEmptyLineThenTheHeadingRow) {
    StringGridModel table(2);
    table.setHeadings({QStringLiteral("ID "), QStringLiteral("Addr. ")});
    table.setRow(1, {QStringLiteral("1"), QStringLiteral("2")});
    EXPECT_EQ(gridCsvBytes(table, kSemicolon, true), QByteArray("\r\nID ;Addr. ;\r\n1;2;\r\n"));
    EXPECT_EQ(gridCsvBytes(table, kSemicolon, false), QByteArray("1;2;\r\n"));
}

TEST(GridCsv, SavedMeterTableLoadsBackWithoutTheTrailingEmptyRow) {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(kMeterTableCsvName);
    StringGridModel table(14);
    fillMeters(table,
               {meterCells("11111111", "1"), meterCells("22222222", "2"), meterCells("33333333", "3")});
    table.setCell(2, 13, QStringLiteral("extra"));
    ASSERT_TRUE(saveMeterTableCsv(table, path, kSemicolon, QStringLiteral(".")).ok);

    StringGridModel loaded(14);
    const CsvLoadResult result = loadGridCsv(path, loaded, kMeterTableFieldLimit, kSemicolon);
    EXPECT_EQ(result.outcome, CsvLoadResult::Outcome::Loaded);
    EXPECT_TRUE(result.message.isEmpty());
    EXPECT_TRUE(result.rowsChanged);
    // Four lines were written (three meters and the empty row); they come back in order and the table ends
    // with the last of them.
    EXPECT_EQ(loaded.gridRowCount(), table.gridRowCount());
    for (int r = 1; r < table.gridRowCount(); ++r) {
        EXPECT_EQ(loaded.row(r), table.row(r)) << r;
    }

    // A file of meters only, as a user writes it, loads with no empty row at the end.
    const QString handMade = writeFile(dir, QStringLiteral("hand.csv"), "1;2;\r\n3;4;\r\n");
    StringGridModel fromHand(12);
    loadGridCsv(handMade, fromHand, kMeterTableFieldLimit, kSemicolon);
    EXPECT_EQ(fromHand.gridRowCount(), 3);
    EXPECT_EQ(fromHand.cell(2, 0), QStringLiteral("3"));
}

TEST(GridCsv, ALineWithTwentyTwoFieldsStopsTheImportAndKeepsEarlierRows) {
    QTemporaryDir dir;
    const QByteArray ok21 = QByteArray("a;").repeated(21) + "\r\n";
    const QByteArray bad22 = QByteArray("b;").repeated(22) + "\r\n";
    const QString path = writeFile(dir, QStringLiteral("t.csv"), ok21 + ok21 + bad22 + ok21);
    StringGridModel table(12);
    const CsvLoadResult result = loadGridCsv(path, table, kMeterTableFieldLimit, kSemicolon);
    EXPECT_EQ(result.outcome, CsvLoadResult::Outcome::TooManyFields);
    EXPECT_EQ(result.message, kCsvTooManyDataMessage);
    EXPECT_EQ(result.linesImported, 2);
    EXPECT_TRUE(result.rowsChanged);
    EXPECT_EQ(table.cell(2, 11), QStringLiteral("a"));
    EXPECT_EQ(table.gridRowCount(), 4) << "the empty row after the filled ones stays";
    EXPECT_EQ(table.row(3), QStringList(12, QString()));

    const QString first = writeFile(dir, QStringLiteral("first.csv"), bad22);
    StringGridModel untouched(12);
    EXPECT_FALSE(loadGridCsv(first, untouched, kMeterTableFieldLimit, kSemicolon).rowsChanged);
    EXPECT_EQ(untouched.gridRowCount(), 2);
}

struct LimitCase {
    int limit;
    int fields;
    bool accepted;
};

TEST(GridCsv, FieldLimitsOfTheTables) {
    const LimitCase cases[] = {
        {kMeterTableFieldLimit, 21, true},   {kMeterTableFieldLimit, 22, false},
        {kDisplayTableFieldLimit, 14, true}, {kDisplayTableFieldLimit, 15, false},
        {kReceiverTableFieldLimit, 7, true}, {kReceiverTableFieldLimit, 8, false},
    };
    for (const LimitCase& c : cases) {
        StringGridModel grid(10);
        GridCsvLoadOptions options;
        options.fieldLimit = c.limit;
        const CsvLoadResult result =
            loadGridCsvText(QString(QStringLiteral("x;")).repeated(c.fields), grid, options);
        EXPECT_EQ(result.outcome == CsvLoadResult::Outcome::Loaded, c.accepted) << c.limit << " " << c.fields;
    }
}

TEST(GridCsv, ShortLinesEmptyTheirRemainingCellsAndLongFieldsAreCut) {
    StringGridModel table(5);
    table.setRows(1, {QStringList(5, QStringLiteral("old")), QStringList(5, QStringLiteral("old"))});
    GridCsvLoadOptions options;
    const QString sixty(60, QChar(u'9'));
    loadGridCsvText(QStringLiteral("a;b;\r\n") + sixty + QStringLiteral(";\r\n"), table, options);
    EXPECT_EQ(table.row(1), QStringList({"a", "b", "", "", ""}));
    EXPECT_EQ(table.cell(2, 0), QString(50, QChar(u'9')));
    EXPECT_EQ(table.cell(2, 1), QString());
}

TEST(GridCsv, AnEmptyFileKeepsTheHeadingAndTheEmptyRow) {
    StringGridModel table(3);
    const CsvLoadResult result = loadGridCsvText(QString(), table, GridCsvLoadOptions{});
    EXPECT_FALSE(result.rowsChanged);
    EXPECT_EQ(table.gridRowCount(), 2);
}

TEST(GridCsv, ImportStopsWhenTheTableIsFull) {
    QByteArray text;
    for (int i = 1; i <= 460; ++i) {
        text += QByteArray::number(i) + ";\r\n";
    }
    StringGridModel table(12, kMeterTableMaxRows);
    const CsvLoadResult result = loadGridCsvText(QString::fromLatin1(text), table, GridCsvLoadOptions{});
    EXPECT_EQ(result.outcome, CsvLoadResult::Outcome::TableFull);
    EXPECT_EQ(result.linesImported, 449);
    EXPECT_TRUE(result.message.contains(QStringLiteral("449")));
    EXPECT_EQ(table.gridRowCount(), 450);
    EXPECT_EQ(table.cell(449, 0), QStringLiteral("449"));

    // Exactly 449 lines fit without a message.
    StringGridModel exact(12, kMeterTableMaxRows);
    const QByteArray fits = text.left(text.indexOf("450;"));
    EXPECT_EQ(loadGridCsvText(QString::fromLatin1(fits), exact, GridCsvLoadOptions{}).outcome,
              CsvLoadResult::Outcome::Loaded);
    EXPECT_EQ(exact.gridRowCount(), 450);
}

TEST(GridCsv, RowsAreAlsoWrittenIntoTheMirrorTable) {
    StringGridModel display(13, 251);
    StringGridModel readings(24, 251);
    readings.setRows(1, {QStringList(24, QStringLiteral("old"))});
    GridCsvLoadOptions options;
    options.fieldLimit = kDisplayTableFieldLimit;
    options.mirror = &readings;
    options.mirrorColumns = 12;
    loadGridCsvText(QStringLiteral("1;2;m3;4;5;6;7;8;9;10;11;12;13;\r\nx;\r\n"), display, options);
    EXPECT_EQ(display.gridRowCount(), 3);
    EXPECT_EQ(readings.gridRowCount(), 3);
    EXPECT_EQ(display.cell(1, 12), QStringLiteral("13"));
    EXPECT_EQ(readings.cell(1, 11), QStringLiteral("12"));
    EXPECT_EQ(readings.cell(1, 12), QString());
    EXPECT_EQ(readings.cell(2, 0), QStringLiteral("x"));
}

TEST(GridCsv, EightBitFilesAreReadAsLatin1AndUtf8AsUtf8) {
    EXPECT_EQ(decodeCsvFileBytes("m\xB3;"), QString::fromUtf8("m\xC2\xB3;"));
    EXPECT_EQ(decodeCsvFileBytes("\xEF\xBB\xBFm\xC2\xB3;"), QString::fromUtf8("m\xC2\xB3;"));
}

TEST(GridCsv, UnreadableFileLeavesTheTableAlone) {
    QTemporaryDir dir;
    StringGridModel table(3);
    table.setRow(1, {QStringLiteral("keep")});
    for (const QString& path : {QDir(dir.path()).filePath(QStringLiteral("missing.csv")), dir.path()}) {
        const CsvLoadResult result = loadGridCsv(path, table, kMeterTableFieldLimit, kSemicolon);
        EXPECT_EQ(result.outcome, CsvLoadResult::Outcome::Unreadable) << path.toStdString();
        EXPECT_EQ(result.message, kCsvWrongFileMessage);
        EXPECT_EQ(result.title, kCsvLoadErrorTitle);
        EXPECT_FALSE(result.rowsChanged);
    }
    EXPECT_EQ(table.cell(1, 0), QStringLiteral("keep"));
}

TEST(GridCsv, WriteFailureCarriesTheNoRightsMessage) {
    QTemporaryDir dir;
    StringGridModel table(3);
    const QString intoMissingFolder = QDir(dir.path()).filePath(QStringLiteral("no/such/folder/x.csv"));
    CsvSaveResult result = saveGridCsv(table, intoMissingFolder, kSemicolon);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, kCsvNoRightsMessage);
    EXPECT_EQ(result.title, kCsvSaveErrorTitle);
    result = saveGridCsvWithHeading(table, dir.path(), kSemicolon);
    EXPECT_FALSE(result.ok) << "a folder is not a file";

    const QString path = QDir(dir.path()).filePath(QStringLiteral("ok.csv"));
    EXPECT_TRUE(saveGridCsvWithHeading(table, path, kSemicolon).ok);
    EXPECT_EQ(readFile(path), QByteArray("\r\n;;;\r\n;;;\r\n"));
}

} // namespace
} // namespace holvex
