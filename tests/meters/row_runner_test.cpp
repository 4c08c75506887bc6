#include "meters/ops/row_runner.h"

#include "fake_channel.h"

#include <gtest/gtest.h>

namespace holvex {
namespace {

using test::Ack;
using test::MeterTelegram;

class RowRunnerTest : public ::testing::Test {
protected:
    RowRunnerTest() {
        QObject::connect(&runner, &RowRunner::rowRunFinished,
                         [this](const QString& caption) { finished = caption; });
        b.FillAddresses({"1", "2", "3", "", "5"});
    }

    int RunToEnd() {
        int ticks = 0;
        while (b.set.isActive() && ticks < 100) {
            runner.Tick();
            ++ticks;
        }
        return ticks;
    }

    test::Bench b;
    RowRunner runner{b.context, b.decoder, b.set};
    QString finished;
};

TEST_F(RowRunnerTest, ReadsOnlyMarkedRowsInOrder) {
    b.settings.Retry = 0;
    for (int row : {1, 3, 5}) {
        b.table.SetMarked(row, true);
        b.channel.AnswerRead(row, MeterTelegram(row));
    }
    ASSERT_TRUE(runner.Begin(TableOperation::Read));
    EXPECT_EQ(RunToEnd(), 3);
    EXPECT_EQ(b.channel.sent, (QStringList{"10 7B 01 7C 16", "10 7B 03 7E 16", "10 7B 05 80 16"}));
    EXPECT_EQ(b.state.TableOperation, 0);
    EXPECT_EQ(finished, QStringLiteral("Read all meters"));
    EXPECT_EQ(b.channel.closes, 1);
    EXPECT_FALSE(b.progress.shown);
}

TEST_F(RowRunnerTest, AcknowledgedCommandIsSentOnePlusRetryTimes) {
    b.settings.Retry = 2;
    b.table.SetMarked(1, true);
    b.table.SetMarked(2, true);
    QList<int> addresses;
    runner.setOperationSender(TableOperation::PulseWidth, [&addresses, this](int address) {
        addresses.append(address);
        b.channel.pending = Ack();
        return true;
    });
    ASSERT_TRUE(runner.Begin(TableOperation::PulseWidth));
    EXPECT_EQ(b.state.TableOperation, 2);
    RunToEnd();
    EXPECT_EQ(addresses, (QList<int>{1, 1, 1, 2, 2, 2}));
    EXPECT_EQ(b.channel.bothDiscards, 4);
}

TEST_F(RowRunnerTest, MarkedRowWithoutAddressSendsNothing) {
    b.settings.Retry = 1;
    b.table.SetMarked(4, true);
    b.table.SetMarked(5, true);
    ASSERT_TRUE(runner.Begin(TableOperation::Read));
    EXPECT_TRUE(b.channel.sent.isEmpty());
    RunToEnd();
    EXPECT_EQ(b.channel.sent, QStringList(2, QStringLiteral("10 7B 05 80 16")));
}

TEST_F(RowRunnerTest, FailedSendStepsTheProgress) {
    b.settings.Retry = 0;
    b.table.SetMarked(1, true);
    b.table.SetMarked(2, true);
    runner.setOperationSender(TableOperation::Baud, [](int) { return false; });
    ASSERT_TRUE(runner.Begin(TableOperation::Baud));
    runner.Tick();
    EXPECT_EQ(b.state.CurrentRow, 2);
    EXPECT_EQ(b.progress.position, 2);
}

TEST_F(RowRunnerTest, RefusedBegins) {
    EXPECT_FALSE(runner.Begin(TableOperation::Read)); // nothing marked
    b.table.SetMarked(1, true);
    EXPECT_FALSE(runner.Begin(TableOperation::MediumUnit)); // no sender yet
    EXPECT_FALSE(runner.Begin(TableOperation::None));
    EXPECT_FALSE(b.set.isActive());
    EXPECT_EQ(b.state.TableOperation, 0);
}

TEST_F(RowRunnerTest, RepliesAreTakenWithTheSetTimersWords) {
    b.table.SetMarked(2, true);
    runner.Begin(TableOperation::Read);
    runner.Tick();
    ASSERT_FALSE(b.channel.timers.empty());
    EXPECT_EQ(b.channel.timers.front(), links::ReplyTimer::Set);
}

} // namespace
} // namespace holvex
