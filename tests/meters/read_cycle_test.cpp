#include "meters/ops/read_cycle.h"

#include "fake_link.h"
#include "meters/ops/primary_scan.h"
#include "meters/ops/read_selected.h"
#include "meters/ops/row_runner.h"

#include <gtest/gtest.h>

namespace holvex {
namespace {

using test::ack;
using test::meterTelegram;

class ReadCycleTest : public ::testing::Test {
protected:
    ReadCycleTest() {
        QObject::connect(&b.decoder, &DecodeApplication::reportOutput,
                         [this](const QStringList& lines, const QVector<QStringList>&, bool show) {
                             reportLines += lines;
                             reportShown = reportShown || show;
                         });
        b.fillAddresses({"12", "20", "30"});
        b.table.setCell(1, 0, QStringLiteral("12121212"));
    }

    void selectOnly(int row) {
        b.table.clearMarks();
        b.table.setMarked(row, true);
        b.state.SelectedAddress = b.table.cell(row, 1);
    }

    test::Bench b;
    PrimaryScan& scan = b.ops.scan();
    ReadCycle& cycle = b.ops.readCycle();
    RowRunner& runner = b.ops.rowRunner();
    ReadSelected readSelected{b.context, cycle, runner};
    QStringList reportLines;
    bool reportShown = false;
};

TEST_F(ReadCycleTest, NoResponseFromAddressTwelve) {
    selectOnly(1);
    b.state.MoreRecordsPending = true;
    ASSERT_TRUE(readSelected.run());
    EXPECT_EQ(b.link.sent, QStringList{"10 7B 0C 87 16"});
    EXPECT_TRUE(b.respond.isActive());
    cycle.tick();
    EXPECT_EQ(b.log.lines, QStringList{"No response from address 12"});
    EXPECT_FALSE(b.respond.isActive());
    EXPECT_FALSE(b.state.MoreRecordsPending);
    EXPECT_EQ(b.link.closes, 1);
}

TEST_F(ReadCycleTest, ReadUpdatesTheMetersRow) {
    selectOnly(2);
    b.link.answerRead(20, meterTelegram(20, "20 20 20 20"));
    int focused = -1;
    QObject::connect(&b.decoder, &DecodeApplication::rowFocused,
                     [&focused](int row, bool, const QString&) { focused = row; });
    ASSERT_TRUE(readSelected.run());
    cycle.tick();
    EXPECT_EQ(b.table.cell(2, 0), QStringLiteral("20202020"));
    EXPECT_EQ(b.table.gridRowCount(), 4); // updated in place, nothing appended
    EXPECT_EQ(focused, 2);
    EXPECT_EQ(b.state.SelectedId, QStringLiteral("20202020"));
    EXPECT_FALSE(b.respond.isActive());
    EXPECT_EQ(b.link.closes, 1);
}

TEST_F(ReadCycleTest, BroadcastAndLinkReset) {
    selectOnly(1);
    cycle.setBroadcast(true);
    cycle.setUseSndNke(true);
    b.link.answerReset(0xFE, ack());
    b.link.answerRead(0xFE, meterTelegram(12, "12 12 12 12"));
    ASSERT_TRUE(readSelected.run());
    cycle.tick();
    EXPECT_TRUE(b.respond.isActive());
    cycle.tick();
    EXPECT_EQ(b.link.sent, (QStringList{"10 40 FE 3E 16", "10 7B FE 79 16"}));
    EXPECT_EQ(b.log.plain(), QStringList{"0xE5 (Acknowledge) 1"});
    EXPECT_FALSE(b.respond.isActive());
}

TEST_F(ReadCycleTest, AcknowledgedReadEndsWithoutAnotherRead) {
    selectOnly(1);
    cycle.setUseSndNke(true);
    b.link.alwaysReset(12, ack());
    b.link.alwaysRead(12, ack());
    readSelected.run();
    cycle.tick();
    cycle.tick();
    EXPECT_EQ(b.link.sent.size(), 2);
    EXPECT_FALSE(b.respond.isActive());
}

TEST_F(ReadCycleTest, NoSelectedAddressSendsNothing) {
    selectOnly(1);
    b.state.SelectedAddress = QStringLiteral("256");
    readSelected.run();
    EXPECT_TRUE(b.link.sent.isEmpty());
    cycle.tick();
    EXPECT_EQ(b.log.lines, QStringList{"No response from address 256"});
}

TEST_F(ReadCycleTest, AddressBeyondOneByteIsNotSent) {
    b.table.setCell(1, 1, QStringLiteral("300"));
    selectOnly(1);
    readSelected.run();
    EXPECT_TRUE(b.link.sent.isEmpty());
}

TEST_F(ReadCycleTest, NothingSelected) {
    b.table.clearMarks();
    EXPECT_FALSE(readSelected.run());
    EXPECT_EQ(b.log.lines, QStringList{"Nothing selected from the table..."});
    EXPECT_EQ(b.link.closes, 1);
    EXPECT_FALSE(b.respond.isActive());

    b.link.ready = false;
    b.log.lines.clear();
    EXPECT_FALSE(readSelected.runFull());
    EXPECT_TRUE(b.log.lines.isEmpty());
    EXPECT_FALSE(b.state.FullReadRequested);
}

TEST_F(ReadCycleTest, FullReadWritesTheReportNotTheTable) {
    selectOnly(1);
    b.link.answerRead(12, meterTelegram(12, "99 99 99 99"));
    ASSERT_TRUE(readSelected.runFull());
    EXPECT_TRUE(b.state.FullReadRequested);
    cycle.tick();
    EXPECT_TRUE(reportShown);
    EXPECT_TRUE(reportLines.first().startsWith(QStringLiteral("ID:99999999")));
    EXPECT_EQ(b.table.cell(1, 0), QStringLiteral("12121212"));
    EXPECT_FALSE(b.state.FullReadRequested);
}

TEST_F(ReadCycleTest, MultiTelegramReadsUntilNoMoreIsAnnounced) {
    selectOnly(1);
    b.settings.Multitelegram = true;
    b.link.answerRead(12, meterTelegram(12, "12 12 12 12", "01 00 00 00", true));
    b.link.answerRead(12, meterTelegram(12, "12 12 12 12", "02 00 00 00", true));
    b.link.answerRead(12, meterTelegram(12, "12 12 12 12", "03 00 00 00", false));
    readSelected.run();
    for (int i = 0; i < 3; ++i) {
        cycle.tick();
    }
    EXPECT_EQ(b.link.sent, QStringList(3, QStringLiteral("10 7B 0C 87 16")));
    EXPECT_EQ(b.link.inputDiscards, 2);
    EXPECT_FALSE(b.state.MoreRecordsPending);
    EXPECT_FALSE(b.respond.isActive());
}

TEST_F(ReadCycleTest, MoreAnnouncedWithoutMultitelegramEnds) {
    selectOnly(1);
    b.link.answerRead(12, meterTelegram(12, "12 12 12 12", "01 00 00 00", true));
    readSelected.run();
    cycle.tick();
    EXPECT_EQ(b.link.sent.size(), 1);
    EXPECT_TRUE(b.state.MoreRecordsPending);
    EXPECT_FALSE(b.respond.isActive());
}

TEST_F(ReadCycleTest, ReadAfterAcknowledgedCommand) {
    b.state.SelectedAddress = QStringLiteral("30");
    b.link.answerRead(30, meterTelegram(30, "30 30 30 30"));
    b.link.pending = ack(); // the command's acknowledgement
    cycle.setReadAfterAck(true);
    cycle.startExchange();
    cycle.tick();
    EXPECT_EQ(b.link.sent, QStringList{"10 7B 1E 99 16"});
    EXPECT_FALSE(cycle.readAfterAck());
    EXPECT_TRUE(b.respond.isActive());
    cycle.tick();
    EXPECT_EQ(b.table.cell(3, 0), QStringLiteral("30303030"));
    EXPECT_FALSE(b.respond.isActive());
}

TEST_F(ReadCycleTest, SeveralMarksStartTheRowRunner) {
    b.table.setMarked(2, true);
    b.table.setMarked(3, true);
    int started = 0;
    QObject::connect(&runner, &RowRunner::rowRunStarted, [&started] { ++started; });
    ASSERT_TRUE(readSelected.run());
    EXPECT_EQ(started, 1);
    EXPECT_EQ(b.state.TableOperation, 4);
    EXPECT_EQ(b.state.CurrentRow, 2);
    EXPECT_EQ(b.link.sent, QStringList{"10 7B 14 8F 16"});
    EXPECT_TRUE(b.set.isActive());
    EXPECT_FALSE(b.respond.isActive());
    EXPECT_EQ(b.progress.minimum, 1);
    EXPECT_EQ(b.progress.maximum, 3);
    EXPECT_EQ(b.progress.position, 1);
}

} // namespace
} // namespace holvex
