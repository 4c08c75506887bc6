#include "log/log_pane.h"
#include "log/log_print.h"
#include "log/progress_bar_widget.h"
#include "log/status_bar_widget.h"
#include "test_support.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <thread>

namespace holvex {
namespace {

QStringList lines(int count) {
    QStringList lines;
    for (int i = 0; i < count; ++i) {
        lines << QStringLiteral("log line %1").arg(i);
    }
    return lines;
}

struct SplitCase {
    const char* text;
    QStringList lines;
};

class LogLineSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(LogLineSplit, CrLfPairsMakeSeparateLines) {
    LogPane pane;
    pane.logLine(QString::fromLatin1(GetParam().text));
    EXPECT_EQ(pane.lines(), GetParam().lines);
    pane.flushView();
    EXPECT_EQ(pane.textView()->blockCount(), GetParam().lines.size());
    EXPECT_EQ(pane.textView()->toPlainText(), GetParam().lines.join(QLatin1Char('\n')));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LogLineSplit,
    ::testing::Values(SplitCase{"", {QString()}}, SplitCase{"one line", {QStringLiteral("one line")}},
                      SplitCase{"Active devices: 1\r\nTotal pulses 5",
                                {QStringLiteral("Active devices: 1"), QStringLiteral("Total pulses 5")}},
                      SplitCase{"a\r\n", {QStringLiteral("a"), QString()}},
                      SplitCase{"\r\n\r\n", {QString(), QString(), QString()}},
                      // A lone CR or LF does not split the entry; it shows as a blank.
                      SplitCase{"a\nb\rc", {QStringLiteral("a b c")}},
                      SplitCase{"x\r\r\ny", {QStringLiteral("x "), QStringLiteral("y")}}));

TEST(LogPane, KeepsLinesInOrderAcrossCallsAndClears) {
    LogPane pane;
    for (const QString& line : lines(2000)) {
        pane.logLine(line);
    }
    pane.flushView();
    EXPECT_EQ(pane.lineCount(), 2000);
    EXPECT_EQ(pane.textView()->blockCount(), 2000);
    EXPECT_EQ(pane.lines().last(), QStringLiteral("log line 1999"));
    pane.clearButton()->click();
    EXPECT_EQ(pane.lineCount(), 0);
    EXPECT_TRUE(pane.textView()->toPlainText().isEmpty());
    pane.logLine(QStringLiteral("after"));
    pane.flushView();
    EXPECT_EQ(pane.textView()->toPlainText(), QStringLiteral("after"));
}

TEST(LogPane, IsReadOnlyUnwrappedWithItsThreeButtons) {
    LogPane pane;
    EXPECT_TRUE(pane.textView()->isReadOnly());
    EXPECT_EQ(pane.textView()->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(pane.textView()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(pane.clearButton()->text(), QStringLiteral("Clear log"));
    EXPECT_EQ(pane.saveButton()->text(), QStringLiteral("Save log"));
    EXPECT_EQ(pane.printButton()->text(), QStringLiteral("Print log"));
}

TEST(LogPane, SavesOneLinePerLogLine) {
    QTemporaryDir dir;
    LogPane pane;
    pane.logLine(QStringLiteral("first\r\nsecond"));
    const QString path = QDir(dir.path()).filePath(QStringLiteral("log.txt"));
    EXPECT_TRUE(pane.saveTo(path));
    EXPECT_EQ(test::readFile(path), QByteArray("first\nsecond\n"));
    EXPECT_EQ(pane.lineCount(), 2);
}

TEST(LogPane, SaveFailureIsLoggedAndKeepsTheLog) {
    QTemporaryDir dir;
    LogPane pane;
    pane.logLine(QStringLiteral("kept"));
    // A file where the folder should be cannot be written below, whoever runs the test.
    const QString blocker = test::writeFile(dir, QStringLiteral("readonly"), "x");
    EXPECT_FALSE(pane.saveTo(blocker + QStringLiteral("/log.txt")));
    EXPECT_EQ(pane.lines(),
              (QStringList{QStringLiteral("kept"), QStringLiteral("Can not write file, no rights...")}));
}

class ScriptedSavePane : public LogPane {
public:
    QString answer;
    QString proposed;

protected:
    QString chooseSaveFileName(const QString& offered) override {
        proposed = offered;
        return answer;
    }
};

TEST(LogPane, SaveButtonProposesLogTxtInTheLastDirectory) {
    QTemporaryDir dir;
    ScriptedSavePane pane;
    pane.setLastDirectoryProvider([&] { return dir.path(); });
    pane.logLine(QStringLiteral("x"));
    pane.saveButton()->click(); // cancelled: nothing written
    EXPECT_EQ(pane.proposed, QDir(dir.path()).filePath(QStringLiteral("log.txt")));
    EXPECT_FALSE(QFile::exists(pane.proposed));
    pane.answer = pane.proposed;
    pane.saveButton()->click();
    EXPECT_EQ(test::readFile(pane.proposed), QByteArray("x\n"));
}

int countPdfPages(const QString& path) {
    const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    if (!pdfinfo.isEmpty()) {
        QProcess process;
        process.start(pdfinfo, {path});
        process.waitForFinished(10000);
        const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
        const QRegularExpressionMatch match = pages.match(QString::fromUtf8(process.readAllStandardOutput()));
        if (match.hasMatch()) {
            return match.captured(1).toInt();
        }
    }
    // Qt writes each page as an uncompressed "/Type /Page" dictionary.
    const QString text = QString::fromLatin1(test::readFile(path));
    return static_cast<int>(text.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))));
}

QString pdfPageText(const QString& path, int page) {
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty()) {
        return QString();
    }
    QProcess process;
    process.start(pdftotext, {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                              QString::number(page), path, QStringLiteral("-")});
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

struct PrintCase {
    int lineCount;
    int pages;
};

class PrintToPdf : public ::testing::TestWithParam<PrintCase> {};

TEST_P(PrintToPdf, PrintsTheExpectedNumberOfA4Pages) {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("log.pdf"));
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setOutputFileName(path);
    LogPane pane;
    for (const QString& line : lines(GetParam().lineCount)) {
        pane.logLine(line);
    }
    EXPECT_EQ(pane.printTo(printer, QDateTime(QDate(2026, 3, 4), QTime(9, 30))), GetParam().pages);
    EXPECT_EQ(countPdfPages(path), GetParam().pages);
}

INSTANTIATE_TEST_SUITE_P(Cases, PrintToPdf,
                         ::testing::Values(PrintCase{0, 1}, PrintCase{35, 1}, PrintCase{36, 2},
                                           PrintCase{71, 3}));

TEST(PrintToPdf, SeventyOneLinesEndWithAHeadingOnlyPage) {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("log.pdf"));
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setOutputFileName(path);
    ASSERT_EQ(printLog(printer, lines(71), QStringLiteral("Print of log file 04/03/2026, 09:30")), 3);
    const QString first = pdfPageText(path, 1);
    if (first.isEmpty()) {
        GTEST_SKIP() << "pdftotext is not installed";
    }
    EXPECT_TRUE(first.contains(QStringLiteral("log line 0")));
    EXPECT_TRUE(first.contains(QStringLiteral("log line 35")));
    EXPECT_FALSE(first.contains(QStringLiteral("log line 36")));
    const QString second = pdfPageText(path, 2);
    EXPECT_TRUE(second.contains(QStringLiteral("log line 36")));
    EXPECT_TRUE(second.contains(QStringLiteral("log line 70")));
    const QString third = pdfPageText(path, 3);
    // The font may set "fi" as one ligature glyph, so look for the words before it.
    EXPECT_TRUE(third.contains(QStringLiteral("Print of log"))) << third.toStdString();
    EXPECT_FALSE(third.contains(QStringLiteral("log line")));
}

TEST(LogPrintHeading, StartsWithTheFixedWords) {
    const QString heading = logPrintHeading(QDateTime(QDate(2026, 3, 4), QTime(9, 30)));
    EXPECT_TRUE(heading.startsWith(QStringLiteral("Print of log file ")));
    EXPECT_TRUE(heading.contains(QStringLiteral(", ")));
}

TEST(ProgressBarWidget, HiddenWhileIdleAndWalksItsRange) {
    ProgressBarWidget bar;
    EXPECT_TRUE(bar.isHidden());
    EXPECT_EQ(bar.minimum(), 0);
    EXPECT_EQ(bar.maximum(), 250);
    bar.startProgress(3);
    EXPECT_FALSE(bar.isHidden());
    EXPECT_EQ(bar.progressPosition(), 0);
    for (int i = 0; i < 5; ++i) {
        bar.stepProgress();
    }
    EXPECT_EQ(bar.progressPosition(), 3); // never past the maximum
    bar.endProgress();
    EXPECT_TRUE(bar.isHidden());
    EXPECT_EQ(bar.progressPosition(), 0);
    bar.startProgressRange(1, 10, 1);
    EXPECT_EQ(bar.progressPosition(), 1);
    EXPECT_EQ(bar.progressMaximum(), 10);
    bar.endProgress();
    EXPECT_EQ(bar.minimum(), 0);
}

TEST(StatusBarWidget, ThreePanelsOnlyTheFirstWritten) {
    StatusBarWidget status;
    status.showPortState(closedPortText(QStringLiteral("COM1")));
    EXPECT_EQ(status.panelText(0), QStringLiteral("COM1 is closed"));
    EXPECT_EQ(status.panel(0)->width(), 150);
    EXPECT_EQ(status.panel(1)->width(), 400);
    EXPECT_EQ(status.panel(2)->width(), 50);
    EXPECT_TRUE(status.panelText(1).isEmpty());
    EXPECT_EQ(status.panel(3), nullptr);
}

} // namespace
} // namespace holvex

namespace holvex {
namespace {

TEST(LogPane, LinesFromAnotherThreadArriveOnThePanesThread) {
    LogPane pane;
    ProgressBarWidget bar;
    std::thread worker([&] {
        pane.logLine(QStringLiteral("Collision"));
        bar.startProgressRange(1, 10, 1);
        bar.stepProgress();
    });
    worker.join();
    EXPECT_EQ(pane.lineCount(), 0); // nothing touched from the worker
    QCoreApplication::processEvents();
    EXPECT_EQ(pane.lines(), QStringList{QStringLiteral("Collision")});
    EXPECT_EQ(bar.progressPosition(), 2);
    EXPECT_FALSE(bar.isHidden());
}

} // namespace
} // namespace holvex
