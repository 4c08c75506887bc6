#include "meters/ops/direct_selection.h"

#include "fake_link.h"
#include "meters/ops/meter_configuration.h"
#include "meters/ops/meter_operations.h"
#include "meters/table/meter_table.h"

#include <QMetaObject>

#include <gtest/gtest.h>

namespace holvex {
namespace {

using test::ack;
using test::meterTelegram;

constexpr int kSelected = 0xFD;

// A tick as the timer itself delivers it: every slot connected to its timeout runs, in connection order.
void fire(QTimer& timer) {
    ASSERT_TRUE(QMetaObject::invokeMethod(&timer, "timeout"));
}

class DirectSelectionTest : public ::testing::Test {
protected:
    DirectSelectionTest() {
        b.fillAddresses({"0", "3", ""}); // the empty row a scan leaves
        b.table.setCell(1, 0, QStringLiteral("12345678"));
        b.table.setCell(2, 0, QStringLiteral("87654321"));
        ops.configuration().setInputs([this] { return inputs; });
        QObject::connect(&ops.directSelection(), &DirectSelection::exchangeEnded, [this] { ++ended; });
    }

    // The operator clicked row `row` alone.
    void select(int row) {
        b.table.clearMarks();
        b.table.setMarked(row, true);
        selectCell(b.table, row, b.state);
    }

    // Ticks the selection's timer, then Timer_respond, while either runs.
    int runToEnd() {
        int ticks = 0;
        while ((b.secondary.isActive() || b.respond.isActive()) && ticks < 20) {
            fire(b.secondary.isActive() ? b.secondary : b.respond);
            ++ticks;
        }
        return ticks;
    }

    test::Bench b;
    MeterOperations& ops = b.ops;
    ConfigurationInputs inputs;
    int ended = 0;
};

TEST_F(DirectSelectionTest, SetAddressSevenOnId12345678SendsTheFourFrames) {
    select(1);
    inputs.newPrimaryAddress = 7;
    b.link.otherAnswers = {ack(), ack()}; // the selection, then the address write
    b.link.answerRead(kSelected, meterTelegram(7, "78 56 34 12"));
    b.link.answerReset(kSelected, ack());

    ASSERT_TRUE(ops.configuration().setPrimaryAddress());
    EXPECT_TRUE(b.state.AddressWritePending);
    EXPECT_TRUE(ops.busy());
    EXPECT_EQ(b.link.inputDiscards, 1);
    EXPECT_EQ(runToEnd(), 4);

    EXPECT_EQ(b.link.sent,
              (QStringList{"68 0B 0B 68 53 FD 52 78 56 34 12 FF FF FF FF B2 16",
                           "68 06 06 68 73 FD 51 01 7A 07 43 16", "10 7B FD 78 16", "10 40 FD 3D 16"}));
    EXPECT_EQ(b.link.kinds[0], codec::PacketKind::Command);
    EXPECT_EQ(b.link.kinds[1], codec::PacketKind::Command);
    EXPECT_EQ(b.link.words[0].serial, QStringLiteral("reading by secondary 12345678"));
    EXPECT_EQ(b.link.words[1].socket, QStringLiteral("secondary set"));
    EXPECT_EQ(b.link.words[1].serial, QStringLiteral("setting primary address, old is 0"));
    // The read-back went into the row with that ID, which now shows the new address.
    EXPECT_EQ(b.table.cell(1, 1), QStringLiteral("7"));
    EXPECT_EQ(b.table.gridRowCount(), 4);
    EXPECT_TRUE(b.log.has(QStringLiteral("0xE5 (Acknowledge)")));
    EXPECT_TRUE(b.log.has(QStringLiteral("0xE5 (Acknowledge) 1")));
    EXPECT_FALSE(b.state.AddressWritePending);
    EXPECT_FALSE(b.state.MatchRowById);
    EXPECT_TRUE(ops.directSelection().lastReadDecoded());
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(b.link.closes, 1);
    EXPECT_FALSE(ops.busy());
}

TEST_F(DirectSelectionTest, DirectReadAppendsAMeterNotYetInTheTable) {
    b.link.otherAnswers = {ack()};
    b.link.answerRead(kSelected, meterTelegram(9, "11 11 11 11"));
    b.link.answerReset(kSelected, ack());
    ops.directSelection().beginDirectRead(QStringLiteral("11111111"));
    EXPECT_EQ(b.link.opens, 1);
    runToEnd();
    EXPECT_EQ(b.link.sent.size(), 3);
    EXPECT_EQ(b.link.sent[1], QStringLiteral("10 7B FD 78 16"));
    EXPECT_EQ(b.link.sent[2], QStringLiteral("10 40 FD 3D 16"));
    EXPECT_EQ(b.table.cell(3, 0), QStringLiteral("11111111"));
    EXPECT_EQ(ended, 1);
}

TEST_F(DirectSelectionTest, IdWithWildcardSendsNothingAndReportsSilence) {
    ops.directSelection().beginDirectRead(QStringLiteral("1234FFFF"));
    EXPECT_TRUE(b.link.sent.isEmpty());
    EXPECT_TRUE(b.secondary.isActive());
    fire(b.secondary);
    EXPECT_EQ(b.log.lines, QStringList{"No response from device 1234FFFF"});
    EXPECT_FALSE(b.secondary.isActive());
    EXPECT_EQ(b.link.closes, 1);
    EXPECT_EQ(ended, 1);
    ASSERT_FALSE(b.link.timers.empty());
    EXPECT_EQ(b.link.timers.front(), links::ReplyTimer::Secondary);
}

TEST_F(DirectSelectionTest, SilenceAfterTheAddressWriteNamesTheSelectedId) {
    select(1);
    inputs.newPrimaryAddress = 7;
    b.link.otherAnswers = {ack()}; // the address write stays unanswered
    ops.configuration().setPrimaryAddress();
    runToEnd();
    EXPECT_EQ(b.link.sent.size(), 2);
    EXPECT_TRUE(b.log.has(QStringLiteral("No response from device 12345678")));
    EXPECT_FALSE(ops.directSelection().lastReadDecoded());
    EXPECT_EQ(ended, 1);
}

TEST_F(DirectSelectionTest, ChannelNotReadySendsNothing) {
    b.link.ready = false;
    ops.directSelection().beginDirectRead(QStringLiteral("12345678"));
    EXPECT_TRUE(b.link.sent.isEmpty());
    EXPECT_FALSE(b.secondary.isActive());
}

TEST_F(DirectSelectionTest, ADirectReadNeverWritesAnAddressLeftPending) {
    b.state.AddressWritePending = true; // left by an abandoned exchange
    b.link.otherAnswers = {ack()};
    ops.directSelection().beginDirectRead(QStringLiteral("12345678"));
    fire(b.secondary);
    EXPECT_EQ(b.link.sent.last(), QStringLiteral("10 7B FD 78 16"));
}

TEST_F(DirectSelectionTest, AutomaticAddressingTakesOverAfterTheTelegram) {
    select(1);
    b.state.AutoAddressRunning = true;
    inputs.newPrimaryAddress = 20;
    b.link.otherAnswers = {ack(), ack()};
    b.link.answerRead(kSelected, meterTelegram(20, "78 56 34 12"));
    ops.configuration().setPrimaryAddress();
    fire(b.secondary);
    fire(b.secondary);
    fire(b.secondary);
    EXPECT_EQ(b.link.sent.last(), QStringLiteral("10 40 FD 3D 16"));
    EXPECT_EQ(b.waits, QList<int>{200});
    EXPECT_EQ(b.link.bothDiscards, 1);
    EXPECT_TRUE(b.autoAddress.isActive());
    EXPECT_FALSE(b.respond.isActive());
    EXPECT_EQ(ended, 0);
    EXPECT_EQ(b.link.closes, 0);
}

TEST_F(DirectSelectionTest, SilenceDuringAutomaticAddressingStartsTheNextRowTimer) {
    select(1);
    b.state.AutoAddressRunning = true;
    ops.configuration().setPrimaryAddress();
    fire(b.secondary);
    EXPECT_TRUE(b.log.has(QStringLiteral("No response from device 12345678")));
    EXPECT_TRUE(b.autoAddress.isActive());
    EXPECT_EQ(b.link.closes, 0);
    EXPECT_EQ(ended, 0);
}

TEST_F(DirectSelectionTest, RunStoppedDuringThePauseStartsNoNextRow) {
    select(1);
    b.state.AutoAddressRunning = true;
    b.link.otherAnswers = {ack(), ack()};
    b.link.answerRead(kSelected, meterTelegram(20, "78 56 34 12"));
    b.context.waitProcessingEvents = [this](int) {
        b.state.AutoAddressRunning = false;
    };
    ops.configuration().setPrimaryAddress();
    fire(b.secondary);
    fire(b.secondary);
    fire(b.secondary);
    EXPECT_FALSE(b.autoAddress.isActive());
}

} // namespace
} // namespace holvex
