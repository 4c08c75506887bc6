#include "mbus/report_window.h"

#include <QPlainTextEdit>
#include <QPushButton>
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

} // namespace
} // namespace holvex
