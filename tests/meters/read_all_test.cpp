#include "meters/ops/read_all_cycle.h"

#include "fake_link.h"

#include <gtest/gtest.h>

namespace holvex {
namespace {

using test::ack;
using test::meterTelegram;

class ReadAllTest : public ::testing::Test {
protected:
    ReadAllTest() {
        QObject::connect(&readAll, &ReadAllCycle::readAllStarted,
                         [this] { events.append(QStringLiteral("start")); });
        QObject::connect(&readAll, &ReadAllCycle::readAllFinished,
                         [this](const QString& caption) { events.append(caption); });
    }

    int runToEnd() {
        int ticks = 0;
        while (b.readAll.isActive() && ticks < 100) {
            readAll.tick();
            ++ticks;
        }
        return ticks;
    }

    test::Bench b;
    ReadAllCycle& readAll = b.ops.readAll();
    QStringList events;
};

TEST_F(ReadAllTest, EmptyScanRowCostsOnePeriodAndSendsNothing) {
    b.settings.Retry = 1;
    b.fillAddresses({"1", "2", ""}); // a scan's result: the last row is empty
    b.link.answerRead(1, meterTelegram(1, "01 01 01 01"));
    b.link.answerRead(2, meterTelegram(2, "02 02 02 02"));
    ASSERT_TRUE(readAll.start());
    EXPECT_EQ(runToEnd(), 3);
    EXPECT_EQ(b.link.sent, (QStringList{"10 7B 01 7C 16", "10 7B 02 7D 16"}));
    EXPECT_EQ(b.table.cell(1, 0), QStringLiteral("01010101"));
    EXPECT_EQ(b.table.cell(2, 0), QStringLiteral("02020202"));
    EXPECT_EQ(b.table.gridRowCount(), 4);
    EXPECT_EQ(events, (QStringList{"start", "Read all meters"}));
    EXPECT_EQ(b.link.closes, 1);
    EXPECT_FALSE(b.progress.shown);
    for (const links::ReplyTimer timer : b.link.timers) {
        EXPECT_EQ(timer, links::ReplyTimer::ReadAll);
    }
}

TEST_F(ReadAllTest, SilentRowIsAskedOnePlusRetryTimes) {
    b.settings.Retry = 2;
    b.fillAddresses({"7", "8"});
    b.link.answerRead(8, ack()); // a lone acknowledgement counts as no answer
    ASSERT_TRUE(readAll.start());
    runToEnd();
    EXPECT_EQ(b.link.sent.count(QStringLiteral("10 7B 07 82 16")), 3);
    EXPECT_EQ(b.link.sent.count(QStringLiteral("10 7B 08 83 16")), 3);
    EXPECT_GE(b.link.bothDiscards, 5);
}

TEST_F(ReadAllTest, RowWithoutANumberIsPassedOver) {
    b.settings.Retry = 3;
    b.fillAddresses({"x", "9"});
    ASSERT_TRUE(readAll.start());
    EXPECT_TRUE(b.link.sent.isEmpty());
    runToEnd();
    EXPECT_EQ(b.link.sent, QStringList(4, QStringLiteral("10 7B 09 84 16")));
}

TEST_F(ReadAllTest, NothingToReadInAFreshTable) {
    EXPECT_FALSE(readAll.start());
    EXPECT_EQ(b.link.opens, 0);
    b.fillAddresses({"5"});
    b.link.ready = false;
    EXPECT_FALSE(readAll.start());
    EXPECT_FALSE(b.readAll.isActive());
    EXPECT_TRUE(events.isEmpty());
}

TEST_F(ReadAllTest, ProgressRange) {
    struct Case {
        QStringList rows;
        int maximum;
    };
    for (const Case& c : {Case{{"1"}, 2}, Case{{"1", "2", "3"}, 3}}) {
        test::Bench bench;
        ReadAllCycle& cycle = bench.ops.readAll();
        bench.fillAddresses(c.rows);
        ASSERT_TRUE(cycle.start());
        EXPECT_EQ(bench.progress.minimum, 1);
        EXPECT_EQ(bench.progress.maximum, c.maximum);
        EXPECT_EQ(bench.progress.position, 1);
    }
}

TEST_F(ReadAllTest, ItalianCaption) {
    b.language.setTicked(TickedLanguage::Italian);
    b.settings.Retry = 0;
    b.fillAddresses({"1"});
    readAll.start();
    runToEnd();
    EXPECT_EQ(events.last(), QStringLiteral("Leggi tutti i dispositivi"));
}

} // namespace
} // namespace holvex
