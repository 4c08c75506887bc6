#include "meters/page/meter_mark_delegate.h"
#include "meters/page/meter_table_view.h"
#include "meters/table/string_grid_model.h"

#include <QHeaderView>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace holvex {
namespace {

class MeterTableViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_view.setGridModel(&m_model);
        m_model.setRows(1, {{"11111111", "1", "ABC"}, {"22222222", "2", "DEF"}, {"33333333", "3", "GHI"}});
        m_view.resize(900, 300);
        m_view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_view));
    }

    QWidget* viewport() { return m_view.viewport(); }

    StringGridModel m_model{12};
    MeterTableView m_view;
};

TEST_F(MeterTableViewTest, StartsWithTheFixedWidthsAndTwentyPixelRows) {
    const int expected[] = {64, 48, 56, 64, 49, 64, 73, 83, 52, 64, 64, 87};
    for (int c = 0; c < 12; ++c) {
        EXPECT_EQ(m_view.columnWidth(c), expected[c]) << "column " << c;
    }
    EXPECT_EQ(m_view.rowHeight(0), MeterTableView::kRowHeight);
    EXPECT_EQ(m_view.rowHeight(2), MeterTableView::kRowHeight);
    EXPECT_EQ(m_view.selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(m_view.horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
    EXPECT_EQ(m_view.objectName(), QStringLiteral("Grid_bmeters"));
}

TEST_F(MeterTableViewTest, NewExtraColumnsGetAWidthAndResizedColumnsKeepTheirs) {
    m_view.setColumnWidth(3, 120);
    m_model.setColumnCount(15);
    EXPECT_EQ(m_view.columnWidth(3), 120);
    for (int c = 12; c < 15; ++c) {
        EXPECT_EQ(m_view.columnWidth(c), MeterTableView::kExtraColumnWidth);
    }
}

TEST_F(MeterTableViewTest, ReportsRowsInGridNumbering) {
    QSignalSpy selected(&m_view, &MeterTableView::cellSelected);
    QSignalSpy released(&m_view, &MeterTableView::mouseReleasedOnRow);

    QTest::mouseClick(viewport(), Qt::LeftButton, {}, m_view.cellPoint(2, 1));
    ASSERT_EQ(selected.count(), 1);
    EXPECT_EQ(selected.at(0).at(0).toInt(), 2);
    ASSERT_EQ(released.count(), 1);
    EXPECT_EQ(released.at(0).at(0).toInt(), 2);
    EXPECT_FALSE(released.at(0).at(1).toBool());

    // The same cell again still counts as a selection.
    QTest::mouseClick(viewport(), Qt::LeftButton, Qt::ControlModifier, m_view.cellPoint(2, 1));
    EXPECT_EQ(selected.count(), 2);
    EXPECT_TRUE(released.at(1).at(1).toBool());

    // Below the last row is outside the rows; the heading is row 0.
    QTest::mouseClick(viewport(), Qt::LeftButton, {}, QPoint(10, viewport()->height() - 5));
    EXPECT_EQ(released.at(2).at(0).toInt(), -1);
    QTest::mouseClick(m_view.horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(10, 5));
    EXPECT_EQ(released.at(3).at(0).toInt(), 0);
}

TEST_F(MeterTableViewTest, KeyboardMovesTheSelectionAndCodeCanMoveToTheHeading) {
    QSignalSpy selected(&m_view, &MeterTableView::cellSelected);
    m_view.setFocus();
    m_view.setCurrentGridRow(1);
    QTest::keyClick(&m_view, Qt::Key_Down);
    ASSERT_GE(selected.count(), 2);
    EXPECT_EQ(selected.last().at(0).toInt(), 2);
    EXPECT_EQ(m_view.currentGridRow(), 2);

    m_view.setCurrentGridRow(0);
    EXPECT_EQ(selected.last().at(0).toInt(), 0);
    EXPECT_EQ(m_view.currentGridRow(), 0);
    m_view.setCurrentGridRow(99); // outside the rows: the heading as well
    EXPECT_EQ(m_view.currentGridRow(), 0);
}

TEST_F(MeterTableViewTest, RightButtonAsksForTheMenuWithoutSelecting) {
    QSignalSpy menu(&m_view, &MeterTableView::contextMenuRequestedAt);
    QSignalSpy selected(&m_view, &MeterTableView::cellSelected);
    const QPoint point = m_view.cellPoint(3, 0);
    QTest::mouseClick(viewport(), Qt::RightButton, {}, point);
    ASSERT_EQ(menu.count(), 1);
    EXPECT_EQ(menu.at(0).at(0).toPoint(), viewport()->mapToGlobal(point));
    EXPECT_EQ(selected.count(), 0);
}

TEST_F(MeterTableViewTest, DoubleClickIsReported) {
    QSignalSpy doubled(&m_view, &MeterTableView::tableDoubleClicked);
    QTest::mouseDClick(viewport(), Qt::LeftButton, {}, m_view.cellPoint(1, 0));
    EXPECT_EQ(doubled.count(), 1);
    QTest::mouseDClick(m_view.horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(10, 5));
    EXPECT_EQ(doubled.count(), 2);
}

TEST_F(MeterTableViewTest, MarkedRowsAreDrawnOnTheHighlightColour) {
    m_model.setMarked(2, true);
    const QImage image = m_view.viewport()->grab().toImage();
    // The bottom-right corner of a cell holds no text.
    const QRect marked = m_view.visualRect(m_model.index(1, 0));
    const QRect plain = m_view.visualRect(m_model.index(0, 0));
    const QPoint markedCorner = marked.bottomRight() - QPoint(3, 3);
    const QPoint plainCorner = plain.bottomRight() - QPoint(3, 3);
    const qreal ratio = image.devicePixelRatio();
    EXPECT_EQ(image.pixelColor(markedCorner * ratio),
              MeterMarkDelegate::backgroundColour(true, m_view.palette()));
    EXPECT_EQ(image.pixelColor(plainCorner * ratio), QColor(Qt::white));
    EXPECT_EQ(MeterMarkDelegate::textColour(true), QColor(Qt::white));
    EXPECT_EQ(MeterMarkDelegate::textColour(false), QColor(Qt::black));
}

} // namespace
} // namespace holvex
