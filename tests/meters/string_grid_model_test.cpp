#include "meters/table/string_grid_model.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace holvex {
namespace {

QStringList Cells(std::initializer_list<const char*> texts) {
    QStringList list;
    for (const char* t : texts) {
        list.append(QString::fromUtf8(t));
    }
    return list;
}

TEST(StringGridModel, StartsWithHeadingAndOneEmptyRow) {
    StringGridModel grid(3);
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.ColumnCount(), 3);
    EXPECT_EQ(grid.Cell(1, 2), QString());
}

TEST(StringGridModel, HeadingRowIsTheHorizontalHeaderAndDataRowsAreShiftedByOne) {
    StringGridModel grid(2);
    grid.SetHeadings(Cells({"ID ", "Addr. ", "Mfr. "}));
    grid.SetRowCount(3);
    grid.SetCell(1, 0, QStringLiteral("first"));
    grid.SetCell(2, 1, QStringLiteral("second"));
    EXPECT_EQ(grid.ColumnCount(), 3);
    EXPECT_EQ(grid.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Mfr. "));
    EXPECT_EQ(grid.headerData(0, Qt::Vertical).toInt(), 1);
    EXPECT_EQ(grid.data(grid.index(0, 0)).toString(), QStringLiteral("first"));
    EXPECT_EQ(grid.data(grid.index(1, 1)).toString(), QStringLiteral("second"));
    EXPECT_FALSE(grid.data(grid.index(5, 0)).isValid());
}

TEST(StringGridModel, CellsOutsideTheGridReadEmptyAndCannotBeWritten) {
    StringGridModel grid(2);
    EXPECT_FALSE(grid.SetCell(2, 0, QStringLiteral("x")));
    EXPECT_FALSE(grid.SetCell(1, 2, QStringLiteral("x")));
    EXPECT_FALSE(grid.SetCell(-1, 0, QStringLiteral("x")));
    EXPECT_EQ(grid.Cell(7, 9), QString());
    EXPECT_TRUE(grid.Row(5).isEmpty());
}

TEST(StringGridModel, RowCountStaysBetweenTwoAndTheMaximum) {
    StringGridModel grid(1, 10);
    grid.SetRowCount(0);
    EXPECT_EQ(grid.RowCount(), 2);
    grid.SetRowCount(500);
    EXPECT_EQ(grid.RowCount(), 10);
    EXPECT_EQ(grid.AppendRow(), 0);
    grid.SetRowCount(9);
    EXPECT_EQ(grid.AppendRow(Cells({"x"})), 9);
    EXPECT_EQ(grid.Cell(9, 0), QStringLiteral("x"));
}

TEST(StringGridModel, SetRowPadsAndCutsToTheColumns) {
    StringGridModel grid(3);
    grid.SetRow(1, Cells({"a", "b", "c", "d"}));
    EXPECT_EQ(grid.Row(1), Cells({"a", "b", "c"}));
    grid.SetRow(1, Cells({"z"}));
    EXPECT_EQ(grid.Row(1), Cells({"z", "", ""}));
}

TEST(StringGridModel, PassesTheModelTesterThroughInsertsRemovalsAndResets) {
    StringGridModel grid(3);
    QAbstractItemModelTester tester(&grid, QAbstractItemModelTester::FailureReportingMode::Fatal);
    grid.SetHeadings(Cells({"a", "b", "c", "d"}));
    grid.SetRows(1, {Cells({"1"}), Cells({"2"}), Cells({"3"})});
    grid.SetRows(2, {Cells({"x"}), Cells({"y"}), Cells({"z"}), Cells({"w"})});
    grid.AppendRow(Cells({"5"}));
    grid.SetMarked(2, true);
    grid.MarkAll();
    grid.ClearMarks();
    grid.RemoveRow(2);
    grid.RemoveRow(grid.RowCount() - 1);
    grid.SetColumnCount(2);
    grid.SetColumnCount(6);
    grid.SetRowCount(300);
    grid.SetRowCount(4);
    grid.ClearDataRows();
    grid.RemoveRow(1);
    grid.SetEditable(true);
    EXPECT_TRUE(grid.setData(grid.index(0, 1), QStringLiteral("edited")));
    EXPECT_EQ(grid.Cell(1, 1), QStringLiteral("edited"));
    EXPECT_EQ(grid.RowCount(), 2);
}

TEST(StringGridModel, ReadOnlyUnlessMadeEditable) {
    StringGridModel grid(1);
    EXPECT_FALSE(grid.flags(grid.index(0, 0)).testFlag(Qt::ItemIsEditable));
    EXPECT_FALSE(grid.setData(grid.index(0, 0), QStringLiteral("x")));
    grid.SetEditable(true);
    EXPECT_TRUE(grid.flags(grid.index(0, 0)).testFlag(Qt::ItemIsEditable));
}

TEST(StringGridModel, ThousandsOfRowsArriveInOneInsertion) {
    StringGridModel grid(2, 5000);
    QSignalSpy inserted(&grid, &QAbstractItemModel::rowsInserted);
    QList<QStringList> rows;
    for (int i = 0; i < 4000; ++i) {
        rows.append(Cells({"id", "addr"}));
    }
    EXPECT_EQ(grid.SetRows(1, rows), 4000);
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(grid.RowCount(), 4001);
    grid.SetRowCount(4999);
    EXPECT_EQ(inserted.count(), 2);
}

TEST(StringGridModel, SetRowsStopsAtTheMaximum) {
    StringGridModel grid(1, 4);
    EXPECT_EQ(grid.SetRows(1, {Cells({"a"}), Cells({"b"}), Cells({"c"}), Cells({"d"})}), 3);
    EXPECT_EQ(grid.RowCount(), 4);
    EXPECT_EQ(grid.Cell(3, 0), QStringLiteral("c"));
    EXPECT_EQ(grid.SetRows(0, {Cells({"heading"})}), 0);
    EXPECT_EQ(grid.Cell(0, 0), QString());
}

TEST(StringGridModel, MarksAreCountedOnlyForRowsOfTheGridAndShownThroughTheMarkRole) {
    StringGridModel grid(1);
    grid.SetRowCount(5);
    grid.SetMarked(2, true);
    grid.SetMarked(4, true);
    EXPECT_EQ(grid.MarkedRowCount(), 2);
    EXPECT_TRUE(grid.data(grid.index(1, 0), StringGridModel::MarkRole).toBool());
    EXPECT_FALSE(grid.data(grid.index(0, 0), StringGridModel::MarkRole).toBool());
    grid.SetRowCount(3);
    EXPECT_EQ(grid.MarkedRowCount(), 1);
    grid.SetRowCount(5);
    EXPECT_TRUE(grid.IsMarked(4)) << "marks belong to row numbers";
    grid.SetMarked(0, true);
    grid.SetMarked(451, true);
    EXPECT_FALSE(grid.IsMarked(0));
    EXPECT_FALSE(grid.IsMarked(451));
    EXPECT_EQ(grid.MarkCapacity(), 450);
    grid.MarkAll();
    EXPECT_EQ(grid.MarkedRowCount(), 4);
    grid.ToggleMark(3);
    EXPECT_EQ(grid.MarkedRowCount(), 3);
    grid.ClearMarks();
    EXPECT_EQ(grid.MarkedRowCount(), 0);
}

TEST(StringGridModel, MarkChangesAreAnnouncedForTheMarkRole) {
    StringGridModel grid(2);
    QSignalSpy changed(&grid, &QAbstractItemModel::dataChanged);
    grid.SetMarked(1, true);
    ASSERT_EQ(changed.count(), 1);
    const auto roles = changed.at(0).at(2).value<QList<int>>();
    EXPECT_TRUE(roles.contains(StringGridModel::MarkRole));
    grid.SetMarked(1, true);
    EXPECT_EQ(changed.count(), 1) << "no signal when nothing changes";
}

TEST(StringGridModel, RemovingARowKeepsMarksOnTheirRowNumbers) {
    StringGridModel grid(1);
    grid.SetRows(1, {Cells({"a"}), Cells({"b"}), Cells({"c"})});
    grid.SetMarked(3, true);
    EXPECT_TRUE(grid.RemoveRow(1));
    EXPECT_EQ(grid.Row(1), Cells({"b"}));
    EXPECT_EQ(grid.Row(2), Cells({"c"}));
    EXPECT_EQ(grid.RowCount(), 3);
    EXPECT_TRUE(grid.IsMarked(3));
    EXPECT_EQ(grid.MarkedRowCount(), 0);
    EXPECT_FALSE(grid.RemoveRow(0));
    EXPECT_FALSE(grid.RemoveRow(3));
}

} // namespace
} // namespace holvex
