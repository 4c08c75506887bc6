#include "meters/table/meter_table.h"

#include "bus/run_state.h"
#include "mbus/meter_row.h"
#include "meters/table/string_grid_model.h"

#include <gtest/gtest.h>

namespace holvex {
namespace {

MeterRow meterRow(const QString& id, const QString& address, const QString& value = QStringLiteral("1.5"),
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
StringGridModel& scanned(StringGridModel& table, RunState& state, const QList<MeterRow>& meters) {
    state.ScanRunning = true;
    for (const MeterRow& meter : meters) {
        writeDecodedRow(table, meter, state);
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
    applyMeterTableHeadings(table, TickedLanguage::English, state);
    EXPECT_EQ(table.gridColumnCount(), 12);
    EXPECT_EQ(table.heading(11), QStringLiteral("Batt [V] or Power "));
    state.ExtraTitleCount = 15;
    applyMeterTableHeadings(table, TickedLanguage::Italian, state);
    EXPECT_EQ(table.gridColumnCount(), 27);
    EXPECT_EQ(table.heading(2), QStringLiteral("Produttore "));
    EXPECT_EQ(table.heading(26), QStringLiteral("T15"));
    state.ExtraTitleCount = 3;
    applyMeterTableHeadings(table, TickedLanguage::English, state);
    EXPECT_EQ(table.gridColumnCount(), 15);
    EXPECT_EQ(table.heading(14), QStringLiteral("T3"));
    EXPECT_EQ(table.heading(2), QStringLiteral("Mfr. "));
}

TEST(MeterTable, ClearUnmarksAndLeavesTwoEmptyRows) {
    StringGridModel table(12);
    RunState state;
    scanned(table, state, {meterRow("1", "1"), meterRow("2", "2")});
    table.markAll();
    clearMeterTable(table);
    EXPECT_EQ(table.gridRowCount(), 2);
    EXPECT_EQ(table.cell(1, 0), QString());
    table.setRowCount(4);
    EXPECT_EQ(table.markedRowCount(), 0);
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
        EXPECT_EQ(relayCounterText(QString::fromUtf8(c.cell)), QString::fromUtf8(c.expected)) << c.cell;
    }
}

TEST(MeterTable, SelectingADataCellFillsTheSelectionAndTheRelayCounter) {
    StringGridModel table(12);
    RunState state;
    scanned(table, state, {meterRow("123456789", "123456789", "12.345"), meterRow("22", "", "9")});

    CellSelection selection = selectCell(table, 1, state);
    EXPECT_EQ(state.FocusedRow, 1);
    EXPECT_EQ(state.SelectedId, QStringLiteral("12345678"));
    EXPECT_EQ(state.SelectedAddress, QStringLiteral("12345678"));
    EXPECT_TRUE(selection.relayCounterSet);
    EXPECT_EQ(selection.relayCounter, QStringLiteral("12345"));
    EXPECT_EQ(selectedIdLabel(state), QStringLiteral("ID:12345678"));
    EXPECT_EQ(selectedAddressLabel(state), QStringLiteral("Addr.:12345678"));

    selection = selectCell(table, 2, state);
    EXPECT_EQ(state.SelectedAddress, QStringLiteral("256"));
    EXPECT_FALSE(selection.relayCounterSet);
    EXPECT_EQ(selectedAddressLabel(state), QStringLiteral("Addr.:"));

    selection = selectCell(table, 0, state);
    EXPECT_EQ(state.FocusedRow, 0);
    EXPECT_EQ(state.SelectedId, QStringLiteral("22")) << "the heading row changes nothing else";
}

TEST(MeterTable, FocusRowByAddressTakesTheLastMatchingRowOrTheHeading) {
    StringGridModel table(12);
    RunState state;
    scanned(table, state, {meterRow("1", "5"), meterRow("2", "7"), meterRow("3", "5")});
    state.SelectedAddress = QStringLiteral("5");
    EXPECT_EQ(focusRowByAddress(table, state).row, 3);
    EXPECT_EQ(state.SelectedId, QStringLiteral("3"));

    state.SelectedAddress = QString();
    EXPECT_EQ(focusRowByAddress(table, state).row, 0);
    EXPECT_EQ(state.SelectedAddress, QStringLiteral("256"));
    EXPECT_EQ(state.FocusedRow, 0);
}

TEST(MeterTable, MouseReleaseMarkingRules) {
    StringGridModel table(12);
    RunState state;
    table.setRowCount(5);

    noteTableDoubleClick(state);
    applyTableMouseRelease(table, state, 2, false);
    EXPECT_EQ(table.markedRowCount(), 4) << "double click then release marks every row";
    EXPECT_FALSE(state.MarkAllPending);

    applyTableMouseRelease(table, state, 3, true);
    EXPECT_FALSE(table.isMarked(3)) << "Ctrl-click unmarks only that row";
    EXPECT_EQ(table.markedRowCount(), 3);
    applyTableMouseRelease(table, state, 3, true);
    EXPECT_TRUE(table.isMarked(3));

    applyTableMouseRelease(table, state, 2, false);
    EXPECT_EQ(table.markedRowCount(), 1) << "a plain click marks only the clicked row";
    EXPECT_TRUE(table.isMarked(2));

    applyTableMouseRelease(table, state, 0, false);
    EXPECT_EQ(table.markedRowCount(), 0) << "the heading clears and marks nothing";
    applyTableMouseRelease(table, state, 1, false);
    applyTableMouseRelease(table, state, -1, true);
    EXPECT_EQ(table.markedRowCount(), 0) << "outside the rows clears, even with Ctrl";
    applyTableMouseRelease(table, state, 5, false);
    EXPECT_EQ(table.markedRowCount(), 0);
}

TEST(MeterTable, DeletingTheOnlyRowEmptiesItAndKeepsTwoRows) {
    StringGridModel table(12);
    RunState state;
    table.setRow(1, {QStringLiteral("1"), QStringLiteral("2")});
    state.FocusedRow = 1;
    EXPECT_TRUE(deleteSelectedRow(table, state));
    EXPECT_EQ(table.gridRowCount(), 2);
    EXPECT_EQ(table.cell(1, 0), QString());
}

TEST(MeterTable, DeletingMovesLaterRowsUpAndLeavesMarksAndHeadingAlone) {
    StringGridModel table(12);
    RunState state;
    applyMeterTableHeadings(table, TickedLanguage::English, state);
    scanned(table, state, {meterRow("1", "1"), meterRow("2", "2"), meterRow("3", "3")});
    table.setMarked(2, true);
    state.FocusedRow = 2;
    EXPECT_TRUE(deleteSelectedRow(table, state));
    EXPECT_EQ(table.gridRowCount(), 4);
    EXPECT_EQ(table.cell(1, 0), QStringLiteral("1"));
    EXPECT_EQ(table.cell(2, 0), QStringLiteral("3"));
    EXPECT_TRUE(table.isMarked(2));

    state.FocusedRow = 0;
    EXPECT_FALSE(deleteSelectedRow(table, state));
    EXPECT_EQ(table.heading(0), QStringLiteral("ID "));
    EXPECT_EQ(table.gridRowCount(), 4);
}

TEST(WriteDecodedRow, ScanWritesTheLastRowAndAppendsAnEmptyOne) {
    StringGridModel table(14);
    RunState state;
    MeterRow meter = meterRow("12345678", "5");
    meter.extra = {QStringLiteral("x1"), QStringLiteral("x2")};
    state.ScanRunning = true;
    const DecodedRowWrite write = writeDecodedRow(table, meter, state);
    EXPECT_EQ(write.rowsWritten, 1);
    EXPECT_EQ(table.gridRowCount(), 3);
    EXPECT_EQ(table.cell(1, 0), QStringLiteral("12345678"));
    EXPECT_EQ(table.cell(1, 11), QStringLiteral("3.6"));
    EXPECT_EQ(table.cell(1, 13), QStringLiteral("x2"));
    EXPECT_EQ(table.row(2), QStringList(14, QString()));
    EXPECT_EQ(state.SelectedAddress, QStringLiteral("5"));
    EXPECT_EQ(write.focus.row, 1);
    EXPECT_EQ(state.FocusedRow, 1);
}

TEST(WriteDecodedRow, AFullTableKeepsOverwritingRow449) {
    StringGridModel table(12, kMeterTableMaxRows);
    RunState state;
    table.setRowCount(kMeterTableMaxRows - 1);
    state.ScanRunning = true;
    writeDecodedRow(table, meterRow("448", "1"), state);
    EXPECT_EQ(table.gridRowCount(), 450);
    writeDecodedRow(table, meterRow("449", "2"), state);
    writeDecodedRow(table, meterRow("450", "3"), state);
    EXPECT_EQ(table.gridRowCount(), 450);
    EXPECT_EQ(table.cell(448, 0), QStringLiteral("448"));
    EXPECT_EQ(table.cell(449, 0), QStringLiteral("450"));
}

TEST(WriteDecodedRow, UpdatesEveryRowWithTheAddress) {
    StringGridModel table(12);
    RunState state;
    scanned(table, state, {meterRow("1", "5"), meterRow("2", "6"), meterRow("3", "5")});
    const DecodedRowWrite write = writeDecodedRow(table, meterRow("9", "5", "42"), state);
    EXPECT_EQ(write.rowsWritten, 2);
    EXPECT_EQ(table.gridRowCount(), 5);
    EXPECT_EQ(table.cell(1, 3), QStringLiteral("42"));
    EXPECT_EQ(table.cell(2, 3), QStringLiteral("1.5"));
    EXPECT_EQ(table.cell(3, 0), QStringLiteral("9"));
    EXPECT_EQ(write.focus.row, 3);
    EXPECT_EQ(state.SelectedId, QStringLiteral("9"));
}

TEST(WriteDecodedRow, AnAddressNotInTheTableChangesNothing) {
    StringGridModel table(12);
    RunState state;
    scanned(table, state, {meterRow("1", "5")});
    state.SelectedAddress = QStringLiteral("5");
    const DecodedRowWrite write = writeDecodedRow(table, meterRow("2", "99"), state);
    EXPECT_EQ(write.rowsWritten, 0);
    EXPECT_EQ(table.gridRowCount(), 3);
    EXPECT_EQ(table.cell(1, 0), QStringLiteral("1"));
    EXPECT_EQ(state.SelectedAddress, QStringLiteral("5"));
}

TEST(WriteDecodedRow, ByIdUpdatesTheMatchingRowOrAppends) {
    StringGridModel table(12);
    RunState state;
    scanned(table, state, {meterRow("11111111", "1"), meterRow("22222222", "2")});
    state.MatchRowById = true;
    writeDecodedRow(table, meterRow("22222222", "9", "7"), state);
    EXPECT_EQ(table.gridRowCount(), 4);
    EXPECT_EQ(table.cell(2, 1), QStringLiteral("9"));
    EXPECT_EQ(table.cell(2, 3), QStringLiteral("7"));

    const DecodedRowWrite write = writeDecodedRow(table, meterRow("33333333", "3"), state);
    EXPECT_EQ(table.gridRowCount(), 5);
    EXPECT_EQ(table.cell(3, 0), QStringLiteral("33333333"));
    EXPECT_EQ(table.cell(4, 0), QString());
    EXPECT_EQ(write.focus.row, 3);
}

TEST(WriteDecodedRow, BatteryZeroKeepsTheCellAndEmptyBatteryClearsIt) {
    StringGridModel table(12);
    RunState state;
    scanned(table, state, {meterRow("1", "5")});
    writeDecodedRow(table, meterRow("1", "5", "2", QStringLiteral("0")), state);
    EXPECT_EQ(table.cell(1, 11), QStringLiteral("3.6"));
    EXPECT_EQ(table.cell(1, 3), QStringLiteral("2"));
    writeDecodedRow(table, meterRow("1", "5", "2", QString()), state);
    EXPECT_EQ(table.cell(1, 11), QString());
}

} // namespace
} // namespace holvex
