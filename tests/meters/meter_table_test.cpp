#include "meters/table/meter_table.h"

#include "bus/run_state.h"
#include "mbus/meter_row.h"
#include "meters/table/string_grid_model.h"

#include <gtest/gtest.h>

namespace holvex {
namespace {

MeterRow Meter(const QString& id, const QString& address, const QString& value = QStringLiteral("1.5"),
               const QString& battery = QStringLiteral("3.6")) {
    MeterRow row;
    row.id = id;
    row.address = address;
    row.manufacturer = QStringLiteral("ABC");
    row.value = value;
    row.unit = QStringLiteral("m3");
    row.battery = battery;
    return row;
}

// A meter table as a scan leaves it: the given meters, then the empty row.
StringGridModel& Scanned(StringGridModel& table, RunState& state, const QList<MeterRow>& meters) {
    state.ScanRunning = true;
    for (const MeterRow& meter : meters) {
        WriteDecodedRow(table, meter, state);
    }
    state.ScanRunning = false;
    return table;
}

TEST(MeterTableHeadings, TwelveFixedColumnsThenTheExtraTitles) {
    QStringList titles(15, QString());
    for (int i = 0; i < 15; ++i) {
        titles[i] = QStringLiteral("T%1").arg(i + 1);
    }
    StringGridModel table(1);
    RunState state;
    state.ExtraTitles = titles;
    ApplyMeterTableHeadings(table, TickedLanguage::English, state);
    EXPECT_EQ(table.ColumnCount(), 12);
    EXPECT_EQ(table.Heading(11), QStringLiteral("Batt [V] or Power "));
    state.ExtraTitleCount = 15;
    ApplyMeterTableHeadings(table, TickedLanguage::Italian, state);
    EXPECT_EQ(table.ColumnCount(), 27);
    EXPECT_EQ(table.Heading(2), QStringLiteral("Produttore "));
    EXPECT_EQ(table.Heading(26), QStringLiteral("T15"));
    state.ExtraTitleCount = 3;
    ApplyMeterTableHeadings(table, TickedLanguage::English, state);
    EXPECT_EQ(table.ColumnCount(), 15);
    EXPECT_EQ(table.Heading(14), QStringLiteral("T3"));
    EXPECT_EQ(table.Heading(2), QStringLiteral("Mfr. "));
}

TEST(MeterTable, ClearUnmarksAndLeavesTwoEmptyRows) {
    StringGridModel table(12);
    RunState state;
    Scanned(table, state, {Meter("1", "1"), Meter("2", "2")});
    table.MarkAll();
    ClearMeterTable(table);
    EXPECT_EQ(table.RowCount(), 2);
    EXPECT_EQ(table.Cell(1, 0), QString());
    table.SetRowCount(4);
    EXPECT_EQ(table.MarkedRowCount(), 0);
}

struct RelayCase {
    const char* cell;
    const char* expected;
};

TEST(MeterTable, RelayCounterIsTheValueTimesAThousandWithoutDecimals) {
    const RelayCase cases[] = {
        {"12.345", "12345"}, {"0.001", "1"}, {"-1.5", "-1500"}, {"7", "7000"},
        {"", "0"},           {"abc", "0"},   {"1.2.3", "0"},    {"nan", "0"},
    };
    for (const RelayCase& c : cases) {
        EXPECT_EQ(RelayCounterText(QString::fromUtf8(c.cell)), QString::fromUtf8(c.expected)) << c.cell;
    }
}

TEST(MeterTable, SelectingADataCellFillsTheSelectionAndTheRelayCounter) {
    StringGridModel table(12);
    RunState state;
    Scanned(table, state, {Meter("123456789", "123456789", "12.345"), Meter("22", "", "9")});

    CellSelection selection = SelectCell(table, 1, state);
    EXPECT_EQ(state.FocusedRow, 1);
    EXPECT_EQ(state.SelectedId, QStringLiteral("12345678"));
    EXPECT_EQ(state.SelectedAddress, QStringLiteral("12345678"));
    EXPECT_TRUE(selection.relayCounterSet);
    EXPECT_EQ(selection.relayCounter, QStringLiteral("12345"));
    EXPECT_EQ(SelectedIdLabel(state), QStringLiteral("ID:12345678"));
    EXPECT_EQ(SelectedAddressLabel(state), QStringLiteral("Addr.:12345678"));

    selection = SelectCell(table, 2, state);
    EXPECT_EQ(state.SelectedAddress, QStringLiteral("256"));
    EXPECT_FALSE(selection.relayCounterSet);
    EXPECT_EQ(SelectedAddressLabel(state), QStringLiteral("Addr.:"));

    selection = SelectCell(table, 0, state);
    EXPECT_EQ(state.FocusedRow, 0);
    EXPECT_EQ(state.SelectedId, QStringLiteral("22")) << "the heading row changes nothing else";
}

TEST(MeterTable, FocusRowByAddressTakesTheLastMatchingRowOrTheHeading) {
    StringGridModel table(12);
    RunState state;
    Scanned(table, state, {Meter("1", "5"), Meter("2", "7"), Meter("3", "5")});
    state.SelectedAddress = QStringLiteral("5");
    EXPECT_EQ(FocusRowByAddress(table, state).row, 3);
    EXPECT_EQ(state.SelectedId, QStringLiteral("3"));

    state.SelectedAddress = QString();
    EXPECT_EQ(FocusRowByAddress(table, state).row, 0);
    EXPECT_EQ(state.SelectedAddress, QStringLiteral("256"));
    EXPECT_EQ(state.FocusedRow, 0);
}

TEST(MeterTable, MouseReleaseMarkingRules) {
    StringGridModel table(12);
    RunState state;
    table.SetRowCount(5);

    NoteTableDoubleClick(state);
    ApplyTableMouseRelease(table, state, 2, false);
    EXPECT_EQ(table.MarkedRowCount(), 4) << "double click then release marks every row";
    EXPECT_FALSE(state.MarkAllPending);

    ApplyTableMouseRelease(table, state, 3, true);
    EXPECT_FALSE(table.IsMarked(3)) << "Ctrl-click unmarks only that row";
    EXPECT_EQ(table.MarkedRowCount(), 3);
    ApplyTableMouseRelease(table, state, 3, true);
    EXPECT_TRUE(table.IsMarked(3));

    ApplyTableMouseRelease(table, state, 2, false);
    EXPECT_EQ(table.MarkedRowCount(), 1) << "a plain click marks only the clicked row";
    EXPECT_TRUE(table.IsMarked(2));

    ApplyTableMouseRelease(table, state, 0, false);
    EXPECT_EQ(table.MarkedRowCount(), 0) << "the heading clears and marks nothing";
    ApplyTableMouseRelease(table, state, 1, false);
    ApplyTableMouseRelease(table, state, -1, true);
    EXPECT_EQ(table.MarkedRowCount(), 0) << "outside the rows clears, even with Ctrl";
    ApplyTableMouseRelease(table, state, 5, false);
    EXPECT_EQ(table.MarkedRowCount(), 0);
}

TEST(MeterTable, DeletingTheOnlyRowEmptiesItAndKeepsTwoRows) {
    StringGridModel table(12);
    RunState state;
    table.SetRow(1, {QStringLiteral("1"), QStringLiteral("2")});
    state.FocusedRow = 1;
    EXPECT_TRUE(DeleteSelectedRow(table, state));
    EXPECT_EQ(table.RowCount(), 2);
    EXPECT_EQ(table.Cell(1, 0), QString());
}

TEST(MeterTable, DeletingMovesLaterRowsUpAndLeavesMarksAndHeadingAlone) {
    StringGridModel table(12);
    RunState state;
    ApplyMeterTableHeadings(table, TickedLanguage::English, state);
    Scanned(table, state, {Meter("1", "1"), Meter("2", "2"), Meter("3", "3")});
    table.SetMarked(2, true);
    state.FocusedRow = 2;
    EXPECT_TRUE(DeleteSelectedRow(table, state));
    EXPECT_EQ(table.RowCount(), 4);
    EXPECT_EQ(table.Cell(1, 0), QStringLiteral("1"));
    EXPECT_EQ(table.Cell(2, 0), QStringLiteral("3"));
    EXPECT_TRUE(table.IsMarked(2));

    state.FocusedRow = 0;
    EXPECT_FALSE(DeleteSelectedRow(table, state));
    EXPECT_EQ(table.Heading(0), QStringLiteral("ID "));
    EXPECT_EQ(table.RowCount(), 4);
}

TEST(WriteDecodedRow, ScanWritesTheLastRowAndAppendsAnEmptyOne) {
    StringGridModel table(14);
    RunState state;
    MeterRow meter = Meter("12345678", "5");
    meter.extra = {QStringLiteral("x1"), QStringLiteral("x2")};
    state.ScanRunning = true;
    const DecodedRowWrite write = WriteDecodedRow(table, meter, state);
    EXPECT_EQ(write.rowsWritten, 1);
    EXPECT_EQ(table.RowCount(), 3);
    EXPECT_EQ(table.Cell(1, 0), QStringLiteral("12345678"));
    EXPECT_EQ(table.Cell(1, 11), QStringLiteral("3.6"));
    EXPECT_EQ(table.Cell(1, 13), QStringLiteral("x2"));
    EXPECT_EQ(table.Row(2), QStringList(14, QString()));
    EXPECT_EQ(state.SelectedAddress, QStringLiteral("5"));
    EXPECT_EQ(write.focus.row, 1);
    EXPECT_EQ(state.FocusedRow, 1);
}

TEST(WriteDecodedRow, AFullTableKeepsOverwritingRow449) {
    StringGridModel table(12, kMeterTableMaxRows);
    RunState state;
    table.SetRowCount(kMeterTableMaxRows - 1);
    state.ScanRunning = true;
    WriteDecodedRow(table, Meter("448", "1"), state);
    EXPECT_EQ(table.RowCount(), 450);
    WriteDecodedRow(table, Meter("449", "2"), state);
    WriteDecodedRow(table, Meter("450", "3"), state);
    EXPECT_EQ(table.RowCount(), 450);
    EXPECT_EQ(table.Cell(448, 0), QStringLiteral("448"));
    EXPECT_EQ(table.Cell(449, 0), QStringLiteral("450"));
}

TEST(WriteDecodedRow, UpdatesEveryRowWithTheAddress) {
    StringGridModel table(12);
    RunState state;
    Scanned(table, state, {Meter("1", "5"), Meter("2", "6"), Meter("3", "5")});
    const DecodedRowWrite write = WriteDecodedRow(table, Meter("9", "5", "42"), state);
    EXPECT_EQ(write.rowsWritten, 2);
    EXPECT_EQ(table.RowCount(), 5);
    EXPECT_EQ(table.Cell(1, 3), QStringLiteral("42"));
    EXPECT_EQ(table.Cell(2, 3), QStringLiteral("1.5"));
    EXPECT_EQ(table.Cell(3, 0), QStringLiteral("9"));
    EXPECT_EQ(write.focus.row, 3);
    EXPECT_EQ(state.SelectedId, QStringLiteral("9"));
}

TEST(WriteDecodedRow, AnAddressNotInTheTableChangesNothing) {
    StringGridModel table(12);
    RunState state;
    Scanned(table, state, {Meter("1", "5")});
    state.SelectedAddress = QStringLiteral("5");
    const DecodedRowWrite write = WriteDecodedRow(table, Meter("2", "99"), state);
    EXPECT_EQ(write.rowsWritten, 0);
    EXPECT_EQ(table.RowCount(), 3);
    EXPECT_EQ(table.Cell(1, 0), QStringLiteral("1"));
    EXPECT_EQ(state.SelectedAddress, QStringLiteral("5"));
}

TEST(WriteDecodedRow, ByIdUpdatesTheMatchingRowOrAppends) {
    StringGridModel table(12);
    RunState state;
    Scanned(table, state, {Meter("11111111", "1"), Meter("22222222", "2")});
    state.MatchRowById = true;
    WriteDecodedRow(table, Meter("22222222", "9", "7"), state);
    EXPECT_EQ(table.RowCount(), 4);
    EXPECT_EQ(table.Cell(2, 1), QStringLiteral("9"));
    EXPECT_EQ(table.Cell(2, 3), QStringLiteral("7"));

    const DecodedRowWrite write = WriteDecodedRow(table, Meter("33333333", "3"), state);
    EXPECT_EQ(table.RowCount(), 5);
    EXPECT_EQ(table.Cell(3, 0), QStringLiteral("33333333"));
    EXPECT_EQ(table.Cell(4, 0), QString());
    EXPECT_EQ(write.focus.row, 3);
}

TEST(WriteDecodedRow, BatteryZeroKeepsTheCellAndEmptyBatteryClearsIt) {
    StringGridModel table(12);
    RunState state;
    Scanned(table, state, {Meter("1", "5")});
    WriteDecodedRow(table, Meter("1", "5", "2", QStringLiteral("0")), state);
    EXPECT_EQ(table.Cell(1, 11), QStringLiteral("3.6"));
    EXPECT_EQ(table.Cell(1, 3), QStringLiteral("2"));
    WriteDecodedRow(table, Meter("1", "5", "2", QString()), state);
    EXPECT_EQ(table.Cell(1, 11), QString());
}

} // namespace
} // namespace holvex
