#include "meters/ops/row_runner.h"

#include "fake_link.h"

#include <gtest/gtest.h>

namespace holvex {
namespace {

using test::ack;
using test::meterTelegram;

class RowRunnerTest : public ::testing::Test {
protected:
    RowRunnerTest() {
        QObject::connect(&runner, &RowRunner::rowRunFinished,
                         [this](const QString& caption) { finished = caption; });
        b.fillAddresses({"1", "2", "3", "", "5"});
    }

    int runToEnd() {
        int ticks = 0;
        while (b.set.isActive() && ticks < 100) {
            runner.tick();
            ++ticks;
        }
        return ticks;
    }

    test::Bench b;
    RowRunner& runner = b.ops.rowRunner();
    QString finished;
};

TEST_F(RowRunnerTest, ReadsOnlyMarkedRowsInOrder) {
    b.settings.Retry = 0;
    for (int row : {1, 3, 5}) {
        b.table.setMarked(row, true);
        b.link.answerRead(row, meterTelegram(row));
    }
    ASSERT_TRUE(runner.begin(TableOperation::Read));
    EXPECT_EQ(runToEnd(), 3);
    EXPECT_EQ(b.link.sent, (QStringList{"10 7B 01 7C 16", "10 7B 03 7E 16", "10 7B 05 80 16"}));
    EXPECT_EQ(b.state.TableOperation, 0);
    EXPECT_EQ(finished, QStringLiteral("Read all meters"));
    EXPECT_EQ(b.link.closes, 1);
    EXPECT_FALSE(b.progress.shown);
}

TEST_F(RowRunnerTest, AcknowledgedCommandIsSentOnePlusRetryTimes) {
    b.settings.Retry = 2;
    b.table.setMarked(1, true);
    b.table.setMarked(2, true);
    QList<int> addresses;
    runner.setOperationSender(TableOperation::PulseWidth, [&addresses, this](int address) {
        addresses.append(address);
        b.link.pending = ack();
        return true;
    });
    ASSERT_TRUE(runner.begin(TableOperation::PulseWidth));
    EXPECT_EQ(b.state.TableOperation, 2);
    runToEnd();
    EXPECT_EQ(addresses, (QList<int>{1, 1, 1, 2, 2, 2}));
    EXPECT_EQ(b.link.bothDiscards, 4);
}

TEST_F(RowRunnerTest, MarkedRowWithoutAddressSendsNothing) {
    b.settings.Retry = 1;
    b.table.setMarked(4, true);
    b.table.setMarked(5, true);
    ASSERT_TRUE(runner.begin(TableOperation::Read));
    EXPECT_TRUE(b.link.sent.isEmpty());
    runToEnd();
    EXPECT_EQ(b.link.sent, QStringList(2, QStringLiteral("10 7B 05 80 16")));
}

TEST_F(RowRunnerTest, FailedSendStepsTheProgress) {
    b.settings.Retry = 0;
    b.table.setMarked(1, true);
    b.table.setMarked(2, true);
    runner.setOperationSender(TableOperation::Baud, [](int) { return false; });
    ASSERT_TRUE(runner.begin(TableOperation::Baud));
    runner.tick();
    EXPECT_EQ(b.state.CurrentRow, 2);
    EXPECT_EQ(b.progress.position, 2);
}

TEST_F(RowRunnerTest, RefusedBegins) {
    EXPECT_FALSE(runner.begin(TableOperation::Read)); // nothing marked
    b.table.setMarked(1, true);
    // A runner nobody gave the configuration commands to.
    QTimer idle;
    RowRunner bare{b.context, b.decoder, idle};
    EXPECT_FALSE(bare.begin(TableOperation::MediumUnit));
    EXPECT_FALSE(idle.isActive());
    EXPECT_FALSE(runner.begin(TableOperation::None));
    EXPECT_FALSE(b.set.isActive());
    EXPECT_EQ(b.state.TableOperation, 0);
}

TEST_F(RowRunnerTest, RepliesAreTakenWithTheSetTimersWords) {
    b.table.setMarked(2, true);
    runner.begin(TableOperation::Read);
    runner.tick();
    ASSERT_FALSE(b.link.timers.empty());
    EXPECT_EQ(b.link.timers.front(), links::ReplyTimer::Set);
}

} // namespace
} // namespace holvex
