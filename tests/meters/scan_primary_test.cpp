#include "meters/ops/primary_scan.h"

#include "fake_link.h"
#include "meters/ops/read_cycle.h"

#include <gtest/gtest.h>

namespace holvex {
namespace {

using test::ack;
using test::meterTelegram;

class PrimaryScanTest : public ::testing::Test {
protected:
    PrimaryScanTest() {
        QObject::connect(&scan, &PrimaryScan::rangeSwapped, [this](int from, int to) {
            swapped = {from, to};
        });
        QObject::connect(&scan, &PrimaryScan::scanStarted,
                         [this](const QString& caption) { captions.append(caption); });
        QObject::connect(&scan, &PrimaryScan::scanFinished,
                         [this](const QString& caption) { captions.append(caption); });
        scan.setClearQuestion([this](const QString& text, const QString& title) {
            questions.append(text + QStringLiteral(" | ") + title);
            return answer;
        });
    }

    // Ticks Timer_respond until the scan ends; returns the ticks used (bounded).
    int runToEnd() {
        int ticks = 0;
        while (b.state.ScanRunning && ticks < 100) {
            cycle.tick();
            ++ticks;
        }
        return ticks;
    }

    test::Bench b;
    PrimaryScan& scan = b.ops.scan();
    ReadCycle& cycle = b.ops.readCycle();
    ClearAnswer answer = ClearAnswer::No;
    QStringList questions;
    QStringList captions;
    std::pair<int, int> swapped{-1, -1};
};

TEST_F(PrimaryScanTest, ScanOfOneToFiveWithThreeMeters) {
    b.link.answerRead(1, meterTelegram(1, "11 11 11 11"));
    b.link.answerRead(3, meterTelegram(3, "33 33 33 33"));
    b.link.answerRead(5, meterTelegram(5, "55 55 55 55"));
    b.settings.Retry = 0;

    ASSERT_TRUE(scan.start(QStringLiteral("1"), QStringLiteral("5")));
    EXPECT_TRUE(b.state.ScanRunning);
    EXPECT_TRUE(b.respond.isActive());
    EXPECT_EQ(b.links.keepAliveStops, 1);
    EXPECT_EQ(b.progress.maximum, 4);
    EXPECT_TRUE(b.progress.shown);
    EXPECT_EQ(runToEnd(), 5);

    EXPECT_EQ(b.link.sent, (QStringList{"10 7B 01 7C 16", "10 7B 02 7D 16", "10 7B 03 7E 16",
                                        "10 7B 04 7F 16", "10 7B 05 80 16"}));
    // The first request is not logged.
    EXPECT_EQ(b.log.plain(),
              (QStringList{"Reading device 2", "Reading device 3", "Reading device 4", "Reading device 5"}));
    ASSERT_EQ(b.log.lines.size(), 7);
    const QString trace = QStringLiteral("Respond: ");
    EXPECT_EQ(b.log.lines[0], trace + test::spacedHex(meterTelegram(1, "11 11 11 11")));
    EXPECT_EQ(b.log.lines[1], QStringLiteral("Reading device 2"));
    EXPECT_EQ(b.log.lines[2], QStringLiteral("Reading device 3"));
    EXPECT_EQ(b.log.lines[3], trace + test::spacedHex(meterTelegram(3, "33 33 33 33")));
    EXPECT_EQ(b.log.lines[4], QStringLiteral("Reading device 4"));
    EXPECT_EQ(b.log.lines[5], QStringLiteral("Reading device 5"));
    EXPECT_EQ(b.log.lines[6], trace + test::spacedHex(meterTelegram(5, "55 55 55 55")));

    EXPECT_EQ(b.table.gridRowCount(), 5); // heading, three meters, the empty row
    EXPECT_EQ(b.table.cell(1, 0), QStringLiteral("11111111"));
    EXPECT_EQ(b.table.cell(2, 1), QStringLiteral("3"));
    EXPECT_EQ(b.table.cell(3, 0), QStringLiteral("55555555"));
    EXPECT_TRUE(b.table.cell(4, 0).isEmpty());

    EXPECT_FALSE(b.state.ScanRunning);
    EXPECT_FALSE(b.respond.isActive());
    EXPECT_FALSE(b.progress.shown);
    EXPECT_EQ(b.link.closes, 1);
    EXPECT_EQ(captions, (QStringList{"Stop", "Find"}));
}

TEST_F(PrimaryScanTest, RangeAboveIsSwapped) {
    b.settings.Retry = 0;
    ASSERT_TRUE(scan.start(QStringLiteral("5"), QStringLiteral("3")));
    EXPECT_EQ(swapped, std::make_pair(3, 5));
    runToEnd();
    EXPECT_EQ(b.link.sent, (QStringList{"10 7B 03 7E 16", "10 7B 04 7F 16", "10 7B 05 80 16"}));
}

TEST_F(PrimaryScanTest, RetriesPerSilentAddress) {
    struct Case {
        int retry;
        int requests;
    };
    for (const Case c : {Case{0, 1}, Case{1, 2}, Case{2, 3}}) {
        test::Bench bench;
        PrimaryScan& s = bench.ops.scan();
        ReadCycle& r = bench.ops.readCycle();
        bench.settings.Retry = c.retry;
        ASSERT_TRUE(s.start(QStringLiteral("7"), QStringLiteral("7")));
        for (int i = 0; i < 10 && bench.state.ScanRunning; ++i) {
            r.tick();
        }
        EXPECT_EQ(bench.link.sent.size(), c.requests) << c.retry;
        EXPECT_EQ(bench.link.sent.count(QStringLiteral("10 7B 07 82 16")), c.requests);
        EXPECT_FALSE(bench.state.ScanRunning);
    }
}

TEST_F(PrimaryScanTest, LinkResetThenReadOnAcknowledge) {
    b.context.inputs.useSndNke = true;
    b.settings.Retry = 1;
    b.link.answerReset(1, ack());
    b.link.answerRead(1, meterTelegram(1));
    // Address 2 never acknowledges: reset twice, never read.
    ASSERT_TRUE(scan.start(QStringLiteral("1"), QStringLiteral("2")));
    runToEnd();
    EXPECT_EQ(b.link.sent,
              (QStringList{"10 40 01 41 16", "10 7B 01 7C 16", "10 40 02 42 16", "10 40 02 42 16"}));
    EXPECT_EQ(b.link.kinds[0], codec::PacketKind::Command);
    EXPECT_EQ(b.link.kinds[1], codec::PacketKind::Read);
    EXPECT_EQ(b.log.plain(), (QStringList{"0xE5 (Acknowledge) 1", "Reading device 1"}));
    EXPECT_EQ(b.table.cell(1, 1), QStringLiteral("1"));
}

TEST_F(PrimaryScanTest, MeterAcknowledgingItsReadIsNotReadForEver) {
    b.context.inputs.useSndNke = true;
    b.link.alwaysReset(4, ack());
    b.link.alwaysRead(4, ack());
    ASSERT_TRUE(scan.start(QStringLiteral("4"), QStringLiteral("4")));
    EXPECT_EQ(runToEnd(), 2);
    EXPECT_EQ(b.link.sent, (QStringList{"10 40 04 44 16", "10 7B 04 7F 16"}));
}

TEST_F(PrimaryScanTest, BadTelegramIsRetried) {
    b.settings.Retry = 1;
    QByteArray broken = meterTelegram(6);
    broken[broken.size() - 2] = static_cast<char>(broken[broken.size() - 2] + 1);
    b.link.answerRead(6, broken);
    b.link.answerRead(6, meterTelegram(6));
    ASSERT_TRUE(scan.start(QStringLiteral("6"), QStringLiteral("6")));
    runToEnd();
    EXPECT_EQ(b.link.sent.size(), 2);
    EXPECT_TRUE(b.log.has(QStringLiteral("Wrong CRC")));
    EXPECT_EQ(b.log.plain(), (QStringList{"Wrong CRC", "Reading device 6"}));
    EXPECT_EQ(b.table.cell(1, 1), QStringLiteral("6"));
}

TEST_F(PrimaryScanTest, Use5BChangesEveryRead) {
    b.settings.Use5B = true;
    b.settings.Retry = 1;
    ASSERT_TRUE(scan.start(QStringLiteral("1"), QStringLiteral("1")));
    runToEnd();
    EXPECT_EQ(b.link.sent, (QStringList{"10 5B 01 5C 16", "10 5B 01 5C 16"}));
}

TEST_F(PrimaryScanTest, ClearQuestionAnswers) {
    b.table.setCell(1, 0, QStringLiteral("old"));
    answer = ClearAnswer::Cancel;
    EXPECT_FALSE(scan.start(QStringLiteral("1"), QStringLiteral("1")));
    EXPECT_EQ(b.link.opens, 0);
    EXPECT_EQ(questions, QStringList{"Do you want to clear the table? | Clear confirmation"});
    EXPECT_EQ(b.table.cell(1, 0), QStringLiteral("old"));

    answer = ClearAnswer::No;
    ASSERT_TRUE(scan.start(QStringLiteral("1"), QStringLiteral("1")));
    EXPECT_EQ(b.table.cell(1, 0), QStringLiteral("old"));
    scan.stop();

    answer = ClearAnswer::Yes;
    b.language.setTicked(TickedLanguage::Italian);
    ASSERT_TRUE(scan.start(QStringLiteral("1"), QStringLiteral("1")));
    EXPECT_TRUE(b.table.cell(1, 0).isEmpty());
    EXPECT_EQ(questions.last(), QStringLiteral("Vuoi cancellare la tabella? | Conferma cancellazione"));
}

TEST_F(PrimaryScanTest, GatewayThatCalledInClearsWithoutAsking) {
    b.settings.UseEthernet = true;
    b.settings.AutoMbus = true;
    b.state.PacketSequence = 1;
    b.table.setCell(1, 0, QStringLiteral("old"));
    ASSERT_TRUE(scan.start(QStringLiteral("1"), QStringLiteral("1")));
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_TRUE(b.table.cell(1, 0).isEmpty());
}

TEST_F(PrimaryScanTest, RefusedStarts) {
    EXPECT_FALSE(scan.start(QString(), QStringLiteral("5")));
    EXPECT_FALSE(scan.start(QStringLiteral("1"), QString()));
    EXPECT_TRUE(questions.isEmpty());
    b.link.ready = false;
    EXPECT_FALSE(scan.start(QStringLiteral("1"), QStringLiteral("5")));
    EXPECT_TRUE(b.link.sent.isEmpty());
    EXPECT_FALSE(b.respond.isActive());
    EXPECT_FALSE(b.state.ScanRunning);
}

TEST_F(PrimaryScanTest, GlobalInitResetsAllAndPauses) {
    b.settings.GlobalInit = true;
    ASSERT_TRUE(scan.start(QStringLiteral("2"), QStringLiteral("2")));
    EXPECT_EQ(b.link.sent, (QStringList{"10 40 FF 3F 16", "10 7B 02 7D 16"}));
    EXPECT_EQ(b.waits, QList<int>{1400});
}

TEST_F(PrimaryScanTest, FindDuringTheGlobalPauseIsIgnored) {
    b.settings.GlobalInit = true;
    b.context.waitProcessingEvents = [this](int) {
        // The operator presses "Find" again while the window waits.
        scan.toggle(QStringLiteral("1"), QStringLiteral("1"));
        EXPECT_FALSE(scan.start(QStringLiteral("1"), QStringLiteral("1")));
    };
    ASSERT_TRUE(scan.start(QStringLiteral("2"), QStringLiteral("2")));
    EXPECT_EQ(b.link.sent, (QStringList{"10 40 FF 3F 16", "10 7B 02 7D 16"}));
    EXPECT_EQ(b.link.opens, 1);
    EXPECT_EQ(captions, QStringList{"Stop"});
}

TEST_F(PrimaryScanTest, StopEndsTheScan) {
    b.readAll.start();
    b.secondary.start();
    ASSERT_TRUE(scan.start(QStringLiteral("1"), QStringLiteral("9")));
    EXPECT_FALSE(b.readAll.isActive());
    EXPECT_FALSE(b.secondary.isActive());
    scan.toggle(QStringLiteral("1"), QStringLiteral("9"));
    EXPECT_FALSE(b.state.ScanRunning);
    EXPECT_FALSE(b.respond.isActive());
    EXPECT_FALSE(b.progress.shown);
    EXPECT_EQ(b.link.closes, 1);
    EXPECT_EQ(captions, (QStringList{"Stop", "Find"}));
}

TEST_F(PrimaryScanTest, GatewayStillAwaitedUsesNoRetry) {
    test::Bench bench;
    // The link never has a packet yet.
    bench.link.awaitingPacket = true;
    PrimaryScan& s = bench.ops.scan();
    ReadCycle& r = bench.ops.readCycle();
    bench.settings.Retry = 0;
    ASSERT_TRUE(s.start(QStringLiteral("1"), QStringLiteral("1")));
    for (int i = 0; i < 5; ++i) {
        r.tick();
    }
    EXPECT_TRUE(bench.state.ScanRunning);
    EXPECT_EQ(bench.state.RetryCount, 0);
    EXPECT_EQ(bench.link.sent.size(), 1);
}

} // namespace
} // namespace holvex
