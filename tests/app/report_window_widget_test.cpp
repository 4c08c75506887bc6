#include "mbus/report_window.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <gtest/gtest.h>

namespace holvex {
namespace {

TEST(ReportWindow, CaptionButtonsAndPane) {
    ReportWindow window;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Detailed m-bus report"));
    EXPECT_TRUE(window.reportPane()->isReadOnly());
    EXPECT_EQ(window.reportPane()->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(window.clearButton()->text(), QStringLiteral("Clear"));
    EXPECT_EQ(window.saveButton()->text(), QStringLiteral("Save"));
    EXPECT_EQ(window.exportButton()->text(), QStringLiteral("Export CSV"));
    EXPECT_EQ(window.closeButton()->text(), QStringLiteral("Close"));
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowCloseButtonHint);
}

TEST(ReportWindow, ClearEmptiesAndCloseHidesKeepingTheText) {
    ReportWindow window;
    window.appendReportLine(QStringLiteral("ID: 12345678"));
    window.appendReportLine(QStringLiteral("Decoded at 10:00, 01/01/2026"));
    window.show();
    window.closeButton()->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.reportText(), QStringLiteral("ID: 12345678\nDecoded at 10:00, 01/01/2026"));
    window.clearButton()->click();
    EXPECT_TRUE(window.reportText().isEmpty());
}

QString Cell(const QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
}

TEST(ReportWindow, GridRowsFollowTheEmptyHeadingAndGrowUntilClear) {
    ReportWindow window;
    QTableWidget* grid = window.gridData();
    ASSERT_EQ(grid->columnCount(), 5);
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_FALSE(grid->isVisible());

    window.appendReport({QStringLiteral("ID: 21034501"), QStringLiteral("")},
                        {{QStringLiteral("04 13"), QStringLiteral("123.456"), QStringLiteral("m3")},
                         {QStringLiteral(""), QStringLiteral(""), QStringLiteral("Manf. specific"),
                          QStringLiteral("0A0B"), QStringLiteral("too"), QStringLiteral("many")}},
                        false, nullptr);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.filledGridRows(), 2);
    ASSERT_EQ(grid->rowCount(), 3);
    EXPECT_TRUE(Cell(grid, 0, 0).isEmpty()); // the heading row stays empty
    EXPECT_EQ(Cell(grid, 1, 0), QStringLiteral("04 13"));
    EXPECT_EQ(Cell(grid, 1, 2), QStringLiteral("m3"));
    EXPECT_TRUE(Cell(grid, 1, 3).isEmpty());
    EXPECT_EQ(Cell(grid, 2, 3), QStringLiteral("0A0B"));
    EXPECT_EQ(Cell(grid, 2, 4), QStringLiteral("too")); // cells past the fifth are dropped
    EXPECT_EQ(window.reportText(), QStringLiteral("ID: 21034501\n"));

    window.appendReport({}, {}, true, nullptr);
    EXPECT_TRUE(window.isVisible());

    window.clearButton()->click();
    EXPECT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(window.filledGridRows(), 0);
    EXPECT_TRUE(Cell(grid, 1, 0).isEmpty());
    window.appendGridRow({QStringLiteral("x")});
    EXPECT_EQ(Cell(grid, 1, 0), QStringLiteral("x"));
    EXPECT_EQ(grid->rowCount(), 2);
}

} // namespace
} // namespace holvex
