#include "meters/ops/direct_selection.h"

#include "fake_channel.h"
#include "meters/ops/meter_configuration.h"
#include "meters/ops/meter_operations.h"
#include "meters/table/meter_table.h"

#include <QMetaObject>

#include <gtest/gtest.h>

namespace holvex {
namespace {

using test::Ack;
using test::MeterTelegram;

constexpr int kSelected = 0xFD;

// A tick as the timer itself delivers it: every slot connected to its timeout runs, in connection order.
void Fire(QTimer& timer) {
    ASSERT_TRUE(QMetaObject::invokeMethod(&timer, "timeout"));
}

class DirectSelectionTest : public ::testing::Test {
protected:
    DirectSelectionTest() {
        b.FillAddresses({"0", "3", ""}); // the empty row a scan leaves
        b.table.SetCell(1, 0, QStringLiteral("12345678"));
        b.table.SetCell(2, 0, QStringLiteral("87654321"));
        ops.configuration().setInputs([this] { return inputs; });
        QObject::connect(&ops.directSelection(), &DirectSelection::exchangeEnded, [this] { ++ended; });
    }

    // The operator clicked row `row` alone.
    void Select(int row) {
        b.table.ClearMarks();
        b.table.SetMarked(row, true);
        SelectCell(b.table, row, b.state);
    }

    // Ticks the selection's timer, then Timer_respond, while either runs.
    int RunToEnd() {
        int ticks = 0;
        while ((b.secondary.isActive() || b.respond.isActive()) && ticks < 20) {
            Fire(b.secondary.isActive() ? b.secondary : b.respond);
            ++ticks;
        }
        return ticks;
    }

    test::Bench b;
    MeterOperations ops{b.context,
                        BusTimers{b.respond, b.readAll, b.secondary, b.set, b.freeCommand, b.autoAddress}};
    ConfigurationInputs inputs;
    int ended = 0;
};

TEST_F(DirectSelectionTest, SetAddressSevenOnId12345678SendsTheFourFrames) {
    Select(1);
    inputs.newPrimaryAddress = 7;
    b.channel.otherAnswers = {Ack(), Ack()}; // the selection, then the address write
    b.channel.AnswerRead(kSelected, MeterTelegram(7, "78 56 34 12"));
    b.channel.AnswerReset(kSelected, Ack());

    ASSERT_TRUE(ops.configuration().SetPrimaryAddress());
    EXPECT_TRUE(b.state.AddressWritePending);
    EXPECT_TRUE(ops.Busy());
    EXPECT_EQ(b.channel.inputDiscards, 1);
    EXPECT_EQ(RunToEnd(), 4);

    EXPECT_EQ(b.channel.sent,
              (QStringList{"68 0B 0B 68 53 FD 52 78 56 34 12 FF FF FF FF B2 16",
                           "68 06 06 68 73 FD 51 01 7A 07 43 16", "10 7B FD 78 16", "10 40 FD 3D 16"}));
    EXPECT_EQ(b.channel.kinds[0], codec::PacketKind::Command);
    EXPECT_EQ(b.channel.kinds[1], codec::PacketKind::Command);
    EXPECT_EQ(b.channel.words[0].serial, QStringLiteral("reading by secondary 12345678"));
    EXPECT_EQ(b.channel.words[1].socket, QStringLiteral("secondary set"));
    EXPECT_EQ(b.channel.words[1].serial, QStringLiteral("setting primary address, old is 0"));
    // The read-back went into the row with that ID, which now shows the new address.
    EXPECT_EQ(b.table.Cell(1, 1), QStringLiteral("7"));
    EXPECT_EQ(b.table.RowCount(), 4);
    EXPECT_TRUE(b.log.Has(QStringLiteral("0xE5 (Acknowledge)")));
    EXPECT_TRUE(b.log.Has(QStringLiteral("0xE5 (Acknowledge) 1")));
    EXPECT_FALSE(b.state.AddressWritePending);
    EXPECT_FALSE(b.state.MatchRowById);
    EXPECT_TRUE(ops.directSelection().LastReadDecoded());
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(b.channel.closes, 1);
    EXPECT_FALSE(ops.Busy());
}

TEST_F(DirectSelectionTest, DirectReadAppendsAMeterNotYetInTheTable) {
    b.channel.otherAnswers = {Ack()};
    b.channel.AnswerRead(kSelected, MeterTelegram(9, "11 11 11 11"));
    b.channel.AnswerReset(kSelected, Ack());
    ops.directSelection().BeginDirectRead(QStringLiteral("11111111"));
    EXPECT_EQ(b.channel.opens, 1);
    RunToEnd();
    EXPECT_EQ(b.channel.sent.size(), 3);
    EXPECT_EQ(b.channel.sent[1], QStringLiteral("10 7B FD 78 16"));
    EXPECT_EQ(b.channel.sent[2], QStringLiteral("10 40 FD 3D 16"));
    EXPECT_EQ(b.table.Cell(3, 0), QStringLiteral("11111111"));
    EXPECT_EQ(ended, 1);
}

TEST_F(DirectSelectionTest, IdWithWildcardSendsNothingAndReportsSilence) {
    ops.directSelection().BeginDirectRead(QStringLiteral("1234FFFF"));
    EXPECT_TRUE(b.channel.sent.isEmpty());
    EXPECT_TRUE(b.secondary.isActive());
    Fire(b.secondary);
    EXPECT_EQ(b.log.lines, QStringList{"No response from device 1234FFFF"});
    EXPECT_FALSE(b.secondary.isActive());
    EXPECT_EQ(b.channel.closes, 1);
    EXPECT_EQ(ended, 1);
    ASSERT_FALSE(b.channel.timers.empty());
    EXPECT_EQ(b.channel.timers.front(), links::ReplyTimer::Secondary);
}

TEST_F(DirectSelectionTest, SilenceAfterTheAddressWriteNamesTheSelectedId) {
    Select(1);
    inputs.newPrimaryAddress = 7;
    b.channel.otherAnswers = {Ack()}; // the address write stays unanswered
    ops.configuration().SetPrimaryAddress();
    RunToEnd();
    EXPECT_EQ(b.channel.sent.size(), 2);
    EXPECT_TRUE(b.log.Has(QStringLiteral("No response from device 12345678")));
    EXPECT_FALSE(ops.directSelection().LastReadDecoded());
    EXPECT_EQ(ended, 1);
}

TEST_F(DirectSelectionTest, ChannelNotReadySendsNothing) {
    b.channel.ready = false;
    ops.directSelection().BeginDirectRead(QStringLiteral("12345678"));
    EXPECT_TRUE(b.channel.sent.isEmpty());
    EXPECT_FALSE(b.secondary.isActive());
}

TEST_F(DirectSelectionTest, ADirectReadNeverWritesAnAddressLeftPending) {
    b.state.AddressWritePending = true; // left by an abandoned exchange
    b.channel.otherAnswers = {Ack()};
    ops.directSelection().BeginDirectRead(QStringLiteral("12345678"));
    Fire(b.secondary);
    EXPECT_EQ(b.channel.sent.last(), QStringLiteral("10 7B FD 78 16"));
}

TEST_F(DirectSelectionTest, AutomaticAddressingTakesOverAfterTheTelegram) {
    Select(1);
    b.state.AutoAddressRunning = true;
    inputs.newPrimaryAddress = 20;
    b.channel.otherAnswers = {Ack(), Ack()};
    b.channel.AnswerRead(kSelected, MeterTelegram(20, "78 56 34 12"));
    ops.configuration().SetPrimaryAddress();
    Fire(b.secondary);
    Fire(b.secondary);
    Fire(b.secondary);
    EXPECT_EQ(b.channel.sent.last(), QStringLiteral("10 40 FD 3D 16"));
    EXPECT_EQ(b.waits, QList<int>{200});
    EXPECT_EQ(b.channel.bothDiscards, 1);
    EXPECT_TRUE(b.autoAddress.isActive());
    EXPECT_FALSE(b.respond.isActive());
    EXPECT_EQ(ended, 0);
    EXPECT_EQ(b.channel.closes, 0);
}

TEST_F(DirectSelectionTest, SilenceDuringAutomaticAddressingStartsTheNextRowTimer) {
    Select(1);
    b.state.AutoAddressRunning = true;
    ops.configuration().SetPrimaryAddress();
    Fire(b.secondary);
    EXPECT_TRUE(b.log.Has(QStringLiteral("No response from device 12345678")));
    EXPECT_TRUE(b.autoAddress.isActive());
    EXPECT_EQ(b.channel.closes, 0);
    EXPECT_EQ(ended, 0);
}

TEST_F(DirectSelectionTest, RunStoppedDuringThePauseStartsNoNextRow) {
    Select(1);
    b.state.AutoAddressRunning = true;
    b.channel.otherAnswers = {Ack(), Ack()};
    b.channel.AnswerRead(kSelected, MeterTelegram(20, "78 56 34 12"));
    b.context.waitProcessingEvents = [this](int) {
        b.state.AutoAddressRunning = false;
    };
    ops.configuration().SetPrimaryAddress();
    Fire(b.secondary);
    Fire(b.secondary);
    Fire(b.secondary);
    EXPECT_FALSE(b.autoAddress.isActive());
}

} // namespace
} // namespace holvex
