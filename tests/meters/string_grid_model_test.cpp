#include "meters/table/string_grid_model.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace holvex {
namespace {

QStringList cells(std::initializer_list<const char*> texts) {
    QStringList list;
    for (const char* t : texts) {
        list.append(QString::fromUtf8(t));
    }
    return list;
}

TEST(StringGridModel, StartsWithHeadingAndOneEmptyRow) {
    StringGridModel grid(3);
    EXPECT_EQ(grid.gridRowCount(), 2);
    EXPECT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.gridColumnCount(), 3);
    EXPECT_EQ(grid.cell(1, 2), QString());
}

TEST(StringGridModel, HeadingRowIsTheHorizontalHeaderAndDataRowsAreShiftedByOne) {
    StringGridModel grid(2);
    grid.setHeadings(cells({"ID ", "Addr. ", "Mfr. "}));
    grid.setRowCount(3);
    grid.setCell(1, 0, QStringLiteral("first"));
    grid.setCell(2, 1, QStringLiteral("second"));
    EXPECT_EQ(grid.gridColumnCount(), 3);
    EXPECT_EQ(grid.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Mfr. "));
    EXPECT_EQ(grid.headerData(0, Qt::Vertical).toInt(), 1);
    EXPECT_EQ(grid.data(grid.index(0, 0)).toString(), QStringLiteral("first"));
    EXPECT_EQ(grid.data(grid.index(1, 1)).toString(), QStringLiteral("second"));
    EXPECT_FALSE(grid.data(grid.index(5, 0)).isValid());
}

TEST(StringGridModel, CellsOutsideTheGridReadEmptyAndCannotBeWritten) {
    StringGridModel grid(2);
    EXPECT_FALSE(grid.setCell(2, 0, QStringLiteral("x")));
    EXPECT_FALSE(grid.setCell(1, 2, QStringLiteral("x")));
    EXPECT_FALSE(grid.setCell(-1, 0, QStringLiteral("x")));
    EXPECT_EQ(grid.cell(7, 9), QString());
    EXPECT_TRUE(grid.row(5).isEmpty());
}

TEST(StringGridModel, RowCountStaysBetweenTwoAndTheMaximum) {
    StringGridModel grid(1, 10);
    grid.setRowCount(0);
    EXPECT_EQ(grid.gridRowCount(), 2);
    grid.setRowCount(500);
    EXPECT_EQ(grid.gridRowCount(), 10);
    EXPECT_EQ(grid.appendRow(), 0);
    grid.setRowCount(9);
    EXPECT_EQ(grid.appendRow(cells({"x"})), 9);
    EXPECT_EQ(grid.cell(9, 0), QStringLiteral("x"));
}

TEST(StringGridModel, SetRowPadsAndCutsToTheColumns) {
    StringGridModel grid(3);
    grid.setRow(1, cells({"a", "b", "c", "d"}));
    EXPECT_EQ(grid.row(1), cells({"a", "b", "c"}));
    grid.setRow(1, cells({"z"}));
    EXPECT_EQ(grid.row(1), cells({"z", "", ""}));
}

TEST(StringGridModel, PassesTheModelTesterThroughInsertsRemovalsAndResets) {
    StringGridModel grid(3);
    QAbstractItemModelTester tester(&grid, QAbstractItemModelTester::FailureReportingMode::Fatal);
    grid.setHeadings(cells({"a", "b", "c", "d"}));
    grid.setRows(1, {cells({"1"}), cells({"2"}), cells({"3"})});
    grid.setRows(2, {cells({"x"}), cells({"y"}), cells({"z"}), cells({"w"})});
    grid.appendRow(cells({"5"}));
    grid.setMarked(2, true);
    grid.markAll();
    grid.clearMarks();
    grid.removeRow(2);
    grid.removeRow(grid.gridRowCount() - 1);
    grid.setColumnCount(2);
    grid.setColumnCount(6);
    grid.setRowCount(300);
    grid.setRowCount(4);
    grid.clearDataRows();
    grid.removeRow(1);
    grid.setEditable(true);
    EXPECT_TRUE(grid.setData(grid.index(0, 1), QStringLiteral("edited")));
    EXPECT_EQ(grid.cell(1, 1), QStringLiteral("edited"));
    EXPECT_EQ(grid.gridRowCount(), 2);
}

TEST(StringGridModel, ReadOnlyUnlessMadeEditable) {
    StringGridModel grid(1);
    EXPECT_FALSE(grid.flags(grid.index(0, 0)).testFlag(Qt::ItemIsEditable));
    EXPECT_FALSE(grid.setData(grid.index(0, 0), QStringLiteral("x")));
    grid.setEditable(true);
    EXPECT_TRUE(grid.flags(grid.index(0, 0)).testFlag(Qt::ItemIsEditable));
}

TEST(StringGridModel, ThousandsOfRowsArriveInOneInsertion) {
    StringGridModel grid(2, 5000);
    QSignalSpy inserted(&grid, &QAbstractItemModel::rowsInserted);
    QList<QStringList> rows;
    for (int i = 0; i < 4000; ++i) {
        rows.append(cells({"id", "addr"}));
    }
    EXPECT_EQ(grid.setRows(1, rows), 4000);
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(grid.gridRowCount(), 4001);
    grid.setRowCount(4999);
    EXPECT_EQ(inserted.count(), 2);
}

TEST(StringGridModel, SetRowsStopsAtTheMaximum) {
    StringGridModel grid(1, 4);
    EXPECT_EQ(grid.setRows(1, {cells({"a"}), cells({"b"}), cells({"c"}), cells({"d"})}), 3);
    EXPECT_EQ(grid.gridRowCount(), 4);
    EXPECT_EQ(grid.cell(3, 0), QStringLiteral("c"));
    EXPECT_EQ(grid.setRows(0, {cells({"heading"})}), 0);
    EXPECT_EQ(grid.cell(0, 0), QString());
}

TEST(StringGridModel, MarksAreCountedOnlyForRowsOfTheGridAndShownThroughTheMarkRole) {
    StringGridModel grid(1);
    grid.setRowCount(5);
    grid.setMarked(2, true);
    grid.setMarked(4, true);
    EXPECT_EQ(grid.markedRowCount(), 2);
    EXPECT_TRUE(grid.data(grid.index(1, 0), StringGridModel::MarkRole).toBool());
    EXPECT_FALSE(grid.data(grid.index(0, 0), StringGridModel::MarkRole).toBool());
    grid.setRowCount(3);
    EXPECT_EQ(grid.markedRowCount(), 1);
    grid.setRowCount(5);
    EXPECT_TRUE(grid.isMarked(4)) << "marks belong to row numbers";
    grid.setMarked(0, true);
    grid.setMarked(451, true);
    EXPECT_FALSE(grid.isMarked(0));
    EXPECT_FALSE(grid.isMarked(451));
    EXPECT_EQ(grid.markCapacity(), 450);
    grid.markAll();
    EXPECT_EQ(grid.markedRowCount(), 4);
    grid.toggleMark(3);
    EXPECT_EQ(grid.markedRowCount(), 3);
    grid.clearMarks();
    EXPECT_EQ(grid.markedRowCount(), 0);
}

TEST(StringGridModel, MarkChangesAreAnnouncedForTheMarkRole) {
    StringGridModel grid(2);
    QSignalSpy changed(&grid, &QAbstractItemModel::dataChanged);
    grid.setMarked(1, true);
    ASSERT_EQ(changed.count(), 1);
    const auto roles = changed.at(0).at(2).value<QList<int>>();
    EXPECT_TRUE(roles.contains(StringGridModel::MarkRole));
    grid.setMarked(1, true);
    EXPECT_EQ(changed.count(), 1) << "no signal when nothing changes";
}

TEST(StringGridModel, RemovingARowKeepsMarksOnTheirRowNumbers) {
    StringGridModel grid(1);
    grid.setRows(1, {cells({"a"}), cells({"b"}), cells({"c"})});
    grid.setMarked(3, true);
    EXPECT_TRUE(grid.removeRow(1));
    EXPECT_EQ(grid.row(1), cells({"b"}));
    EXPECT_EQ(grid.row(2), cells({"c"}));
    EXPECT_EQ(grid.gridRowCount(), 3);
    EXPECT_TRUE(grid.isMarked(3));
    EXPECT_EQ(grid.markedRowCount(), 0);
    EXPECT_FALSE(grid.removeRow(0));
    EXPECT_FALSE(grid.removeRow(3));
}

} // namespace
} // namespace holvex
