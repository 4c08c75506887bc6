#include "app/report_window.h"
#include "bus/run_state.h"
#include "settings/settings.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
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

QString cell(const QTableWidget* grid, int row, int column) {
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
    EXPECT_TRUE(cell(grid, 0, 0).isEmpty()); // the heading row stays empty
    EXPECT_EQ(cell(grid, 1, 0), QStringLiteral("04 13"));
    EXPECT_EQ(cell(grid, 1, 2), QStringLiteral("m3"));
    EXPECT_TRUE(cell(grid, 1, 3).isEmpty());
    EXPECT_EQ(cell(grid, 2, 3), QStringLiteral("0A0B"));
    EXPECT_EQ(cell(grid, 2, 4), QStringLiteral("too")); // cells past the fifth are dropped
    EXPECT_EQ(window.reportText(), QStringLiteral("ID: 21034501\n"));

    window.appendReport({}, {}, true, nullptr);
    EXPECT_TRUE(window.isVisible());

    window.clearButton()->click();
    EXPECT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(window.filledGridRows(), 0);
    EXPECT_TRUE(cell(grid, 1, 0).isEmpty());
    window.appendGridRow({QStringLiteral("x")});
    EXPECT_EQ(cell(grid, 1, 0), QStringLiteral("x"));
    EXPECT_EQ(grid->rowCount(), 2);
}

// "Save" and "Export CSV" with the dialog and the boxes answered by the test.
class ReportFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_run.LastDirectory = m_dir.path();
        m_window.attach(m_settings, m_run);
        m_window.setSaveDialogHook([this](const CsvFileDialogRequest& request) {
            m_requests.append(request);
            return m_answer;
        });
        m_window.setMessageBoxHook([this](QMessageBox::Icon icon, const QString& title, const QString& text) {
            m_boxes.append({icon, title, text});
        });
    }
    QString pathOf(const QString& name) const { return QDir(m_dir.path()).filePath(name); }
    void choose(const QString& name) { m_answer = {true, pathOf(name)}; }

    struct Box {
        QMessageBox::Icon icon;
        QString title;
        QString text;
    };
    QTemporaryDir m_dir;
    Settings m_settings;
    RunState m_run;
    ReportWindow m_window;
    CsvFileDialogAnswer m_answer{true, QString()};
    QList<CsvFileDialogRequest> m_requests;
    QList<Box> m_boxes;
};

TEST_F(ReportFileTest, SaveWritesThePaneLinesThroughATxtDialog) {
    m_window.appendReportLine(QStringLiteral("ID: 21034501"));
    m_window.appendReportLine(QStringLiteral("Decoded at 10:00:00, 08/12/2026"));
    m_window.appendReportLine(QString());
    choose(QStringLiteral("report.txt"));
    m_window.saveButton()->click();

    ASSERT_EQ(m_requests.size(), 1);
    EXPECT_EQ(m_requests[0].filter, QStringLiteral("TXT files (*.txt)"));
    EXPECT_EQ(m_requests[0].defaultSuffix, QStringLiteral("txt"));
    EXPECT_EQ(test::readFile(pathOf(QStringLiteral("report.txt"))),
              QByteArray("ID: 21034501\r\nDecoded at 10:00:00, 08/12/2026\r\n\r\n"));
    EXPECT_TRUE(m_boxes.isEmpty());
}

TEST_F(ReportFileTest, ASaveThatCannotWriteSaysSoInThePane) {
    m_window.appendReportLine(QStringLiteral("ID: 21034501"));
    // A folder in place of the file: nothing can be written there.
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("taken.txt")));
    choose(QStringLiteral("taken.txt"));
    m_window.saveButton()->click();
    const QStringList lines = m_window.reportText().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Exception saving to file - "))) << lines[1].toStdString();
    EXPECT_GT(lines[1].size(), QStringLiteral("Exception saving to file - ").size());
    EXPECT_TRUE(m_boxes.isEmpty());
}

TEST_F(ReportFileTest, ExportRightAfterClearWritesOneLineOfFiveSeparators) {
    m_window.appendGridRow({QStringLiteral("04 13"), QStringLiteral("1.5")});
    m_window.clearButton()->click();
    choose(QStringLiteral("meters_data.csv"));
    m_window.exportButton()->click();

    ASSERT_EQ(m_requests.size(), 1);
    EXPECT_EQ(m_requests[0].folder, m_dir.path());
    EXPECT_EQ(m_requests[0].proposedName, QStringLiteral("meters_data.csv"));
    EXPECT_EQ(m_requests[0].filter, QStringLiteral("TXT files (*.txt)"));
    EXPECT_EQ(test::readFile(pathOf(QStringLiteral("meters_data.csv"))), QByteArray(";;;;;\r\n"));
}

TEST_F(ReportFileTest, ExportWritesEveryRowWithTheSeparatorInForceAtThePress) {
    m_window.appendGridRow({QStringLiteral("ID:21034501"), QStringLiteral("Mfr:SEN"),
                            QStringLiteral("Main medium: Water"), QStringLiteral("Access Counter: 1")});
    m_window.appendGridRow(
        {QStringLiteral("Inst. value 32 bit"), QStringLiteral("123.456"), QStringLiteral("m3"), QString()});
    choose(QStringLiteral("a.csv"));
    m_settings.ExportSeparator = QStringLiteral(",");
    m_window.exportButton()->click();
    EXPECT_EQ(test::readFile(pathOf(QStringLiteral("a.csv"))),
              QByteArray("ID:21034501,Mfr:SEN,Main medium: Water,Access Counter: 1,,\r\n"
                         "Inst. value 32 bit,123.456,m3,,,\r\n"));

    // The setting changed in the settings dialog counts from the next export on.
    m_settings.ExportSeparator = QStringLiteral(";");
    choose(QStringLiteral("b.csv"));
    m_window.exportButton()->click();
    EXPECT_EQ(test::readFile(pathOf(QStringLiteral("b.csv"))),
              QByteArray("ID:21034501;Mfr:SEN;Main medium: Water;Access Counter: 1;;\r\n"
                         "Inst. value 32 bit;123.456;m3;;;\r\n"));
    EXPECT_EQ(m_window.exportLines(QStringLiteral("|")).size(), 2);
}

TEST_F(ReportFileTest, CancelledDialogsChangeNothing) {
    m_window.appendReportLine(QStringLiteral("line"));
    m_window.appendGridRow({QStringLiteral("x")});
    m_answer = {true, QString()};
    m_window.saveButton()->click();
    m_window.exportButton()->click();
    EXPECT_EQ(m_requests.size(), 2);
    EXPECT_TRUE(m_boxes.isEmpty());
    EXPECT_EQ(m_window.reportText(), QStringLiteral("line"));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot).size(), 0);
}

TEST_F(ReportFileTest, ExportFailuresShowTheirBoxes) {
    m_answer = {false, QString()};
    m_window.exportButton()->click();
    ASSERT_EQ(m_boxes.size(), 1);
    EXPECT_EQ(m_boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(m_boxes[0].title, QStringLiteral("Error saving file"));
    EXPECT_EQ(m_boxes[0].text, QStringLiteral("File cannot be written or open!\nContact administrator."));

    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("taken.csv")));
    choose(QStringLiteral("taken.csv"));
    m_window.exportButton()->click();
    ASSERT_EQ(m_boxes.size(), 2);
    EXPECT_EQ(m_boxes[1].icon, QMessageBox::Critical);
    EXPECT_EQ(m_boxes[1].title, QStringLiteral("Error saving file"));
    EXPECT_EQ(m_boxes[1].text, QStringLiteral("File cannot be written, no rights!\nContact administrator."));
    EXPECT_TRUE(m_window.reportText().isEmpty()); // the pane is not where export failures go
}

} // namespace
} // namespace holvex
