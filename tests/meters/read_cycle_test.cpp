#include "meters/ops/read_cycle.h"

#include "fake_channel.h"
#include "meters/ops/primary_scan.h"
#include "meters/ops/read_selected.h"
#include "meters/ops/row_runner.h"

#include <gtest/gtest.h>

namespace holvex {
namespace {

using test::Ack;
using test::MeterTelegram;

class ReadCycleTest : public ::testing::Test {
protected:
    ReadCycleTest() {
        QObject::connect(&b.decoder, &DecodeApplication::reportOutput,
                         [this](const QStringList& lines, const QVector<QStringList>&, bool show) {
                             reportLines += lines;
                             reportShown = reportShown || show;
                         });
        b.FillAddresses({"12", "20", "30"});
        b.table.SetCell(1, 0, QStringLiteral("12121212"));
    }

    void SelectOnly(int row) {
        b.table.ClearMarks();
        b.table.SetMarked(row, true);
        b.state.SelectedAddress = b.table.Cell(row, 1);
    }

    test::Bench b;
    PrimaryScan scan{b.context, b.decoder, b.respond, b.readAll, b.secondary};
    ReadCycle cycle{b.context, b.decoder, scan, b.respond};
    RowRunner runner{b.context, b.decoder, b.set};
    ReadSelected readSelected{b.context, cycle, runner};
    QStringList reportLines;
    bool reportShown = false;
};

TEST_F(ReadCycleTest, NoResponseFromAddressTwelve) {
    SelectOnly(1);
    b.state.MoreRecordsPending = true;
    ASSERT_TRUE(readSelected.Run());
    EXPECT_EQ(b.channel.sent, QStringList{"10 7B 0C 87 16"});
    EXPECT_TRUE(b.respond.isActive());
    cycle.Tick();
    EXPECT_EQ(b.log.lines, QStringList{"No response from address 12"});
    EXPECT_FALSE(b.respond.isActive());
    EXPECT_FALSE(b.state.MoreRecordsPending);
    EXPECT_EQ(b.channel.closes, 1);
}

TEST_F(ReadCycleTest, ReadUpdatesTheMetersRow) {
    SelectOnly(2);
    b.channel.AnswerRead(20, MeterTelegram(20, "20 20 20 20"));
    int focused = -1;
    QObject::connect(&b.decoder, &DecodeApplication::rowFocused,
                     [&focused](int row, bool, const QString&) { focused = row; });
    ASSERT_TRUE(readSelected.Run());
    cycle.Tick();
    EXPECT_EQ(b.table.Cell(2, 0), QStringLiteral("20202020"));
    EXPECT_EQ(b.table.RowCount(), 4); // updated in place, nothing appended
    EXPECT_EQ(focused, 2);
    EXPECT_EQ(b.state.SelectedId, QStringLiteral("20202020"));
    EXPECT_FALSE(b.respond.isActive());
    EXPECT_EQ(b.channel.closes, 1);
}

TEST_F(ReadCycleTest, BroadcastAndLinkReset) {
    SelectOnly(1);
    cycle.setBroadcast(true);
    cycle.setUseSndNke(true);
    b.channel.AnswerReset(0xFE, Ack());
    b.channel.AnswerRead(0xFE, MeterTelegram(12, "12 12 12 12"));
    ASSERT_TRUE(readSelected.Run());
    cycle.Tick();
    EXPECT_TRUE(b.respond.isActive());
    cycle.Tick();
    EXPECT_EQ(b.channel.sent, (QStringList{"10 40 FE 3E 16", "10 7B FE 79 16"}));
    EXPECT_EQ(b.log.Plain(), QStringList{"0xE5 (Acknowledge) 1"});
    EXPECT_FALSE(b.respond.isActive());
}

TEST_F(ReadCycleTest, AcknowledgedReadEndsWithoutAnotherRead) {
    SelectOnly(1);
    cycle.setUseSndNke(true);
    b.channel.AlwaysReset(12, Ack());
    b.channel.AlwaysRead(12, Ack());
    readSelected.Run();
    cycle.Tick();
    cycle.Tick();
    EXPECT_EQ(b.channel.sent.size(), 2);
    EXPECT_FALSE(b.respond.isActive());
}

TEST_F(ReadCycleTest, NoSelectedAddressSendsNothing) {
    SelectOnly(1);
    b.state.SelectedAddress = QStringLiteral("256");
    readSelected.Run();
    EXPECT_TRUE(b.channel.sent.isEmpty());
    cycle.Tick();
    EXPECT_EQ(b.log.lines, QStringList{"No response from address 256"});
}

TEST_F(ReadCycleTest, AddressBeyondOneByteIsNotSent) {
    b.table.SetCell(1, 1, QStringLiteral("300"));
    SelectOnly(1);
    readSelected.Run();
    EXPECT_TRUE(b.channel.sent.isEmpty());
}

TEST_F(ReadCycleTest, NothingSelected) {
    b.table.ClearMarks();
    EXPECT_FALSE(readSelected.Run());
    EXPECT_EQ(b.log.lines, QStringList{"Nothing selected from the table..."});
    EXPECT_EQ(b.channel.closes, 1);
    EXPECT_FALSE(b.respond.isActive());

    b.channel.ready = false;
    b.log.lines.clear();
    EXPECT_FALSE(readSelected.RunFull());
    EXPECT_TRUE(b.log.lines.isEmpty());
    EXPECT_FALSE(b.state.FullReadRequested);
}

TEST_F(ReadCycleTest, FullReadWritesTheReportNotTheTable) {
    SelectOnly(1);
    b.channel.AnswerRead(12, MeterTelegram(12, "99 99 99 99"));
    ASSERT_TRUE(readSelected.RunFull());
    EXPECT_TRUE(b.state.FullReadRequested);
    cycle.Tick();
    EXPECT_TRUE(reportShown);
    EXPECT_TRUE(reportLines.first().startsWith(QStringLiteral("ID:99999999")));
    EXPECT_EQ(b.table.Cell(1, 0), QStringLiteral("12121212"));
    EXPECT_FALSE(b.state.FullReadRequested);
}

TEST_F(ReadCycleTest, MultiTelegramReadsUntilNoMoreIsAnnounced) {
    SelectOnly(1);
    b.settings.Multitelegram = true;
    b.channel.AnswerRead(12, MeterTelegram(12, "12 12 12 12", "01 00 00 00", true));
    b.channel.AnswerRead(12, MeterTelegram(12, "12 12 12 12", "02 00 00 00", true));
    b.channel.AnswerRead(12, MeterTelegram(12, "12 12 12 12", "03 00 00 00", false));
    readSelected.Run();
    for (int i = 0; i < 3; ++i) {
        cycle.Tick();
    }
    EXPECT_EQ(b.channel.sent, QStringList(3, QStringLiteral("10 7B 0C 87 16")));
    EXPECT_EQ(b.channel.inputDiscards, 2);
    EXPECT_FALSE(b.state.MoreRecordsPending);
    EXPECT_FALSE(b.respond.isActive());
}

TEST_F(ReadCycleTest, MoreAnnouncedWithoutMultitelegramEnds) {
    SelectOnly(1);
    b.channel.AnswerRead(12, MeterTelegram(12, "12 12 12 12", "01 00 00 00", true));
    readSelected.Run();
    cycle.Tick();
    EXPECT_EQ(b.channel.sent.size(), 1);
    EXPECT_TRUE(b.state.MoreRecordsPending);
    EXPECT_FALSE(b.respond.isActive());
}

TEST_F(ReadCycleTest, ReadAfterAcknowledgedCommand) {
    b.state.SelectedAddress = QStringLiteral("30");
    b.channel.AnswerRead(30, MeterTelegram(30, "30 30 30 30"));
    b.channel.pending = Ack(); // the command's acknowledgement
    cycle.setReadAfterAck(true);
    cycle.StartExchange();
    cycle.Tick();
    EXPECT_EQ(b.channel.sent, QStringList{"10 7B 1E 99 16"});
    EXPECT_FALSE(cycle.readAfterAck());
    EXPECT_TRUE(b.respond.isActive());
    cycle.Tick();
    EXPECT_EQ(b.table.Cell(3, 0), QStringLiteral("30303030"));
    EXPECT_FALSE(b.respond.isActive());
}

TEST_F(ReadCycleTest, SeveralMarksStartTheRowRunner) {
    b.table.SetMarked(2, true);
    b.table.SetMarked(3, true);
    int started = 0;
    QObject::connect(&runner, &RowRunner::rowRunStarted, [&started] { ++started; });
    ASSERT_TRUE(readSelected.Run());
    EXPECT_EQ(started, 1);
    EXPECT_EQ(b.state.TableOperation, 4);
    EXPECT_EQ(b.state.CurrentRow, 2);
    EXPECT_EQ(b.channel.sent, QStringList{"10 7B 14 8F 16"});
    EXPECT_TRUE(b.set.isActive());
    EXPECT_FALSE(b.respond.isActive());
    EXPECT_EQ(b.progress.minimum, 1);
    EXPECT_EQ(b.progress.maximum, 3);
    EXPECT_EQ(b.progress.position, 1);
}

} // namespace
} // namespace holvex
