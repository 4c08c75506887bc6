// "End the wait when the answer is complete": the reply timer ticks as soon as the asked meter's answer is
// whole and the line quiet; anything less keeps the whole response timeout.

#include "../meters/fake_link.h"
#include "meters/ops/primary_scan.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace holvex {
namespace {

using test::hex;
using test::meterTelegram;

// Far longer than any test runs: a tick that comes is an ended wait.
constexpr int kLongTimeout = 30000;

struct Case {
    const char* name;
    bool fastReply;
    QByteArray answer; // what address 1 sends to the read, as the link shows it
    bool ends;         // the wait ends early and the meter is in the table
};

class FastReplyTest : public ::testing::TestWithParam<Case> {
protected:
    // Runs the event loop until the scan has read its reply or the time is up.
    bool replyTakenWithin(int milliseconds) {
        QElapsedTimer clock;
        clock.start();
        while (b.link.timers.empty() && clock.elapsed() < milliseconds) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return !b.link.timers.empty();
    }

    test::Bench b;
};

TEST_P(FastReplyTest, EndsTheWaitOnlyForAWholeAnswerOfTheAskedMeter) {
    const Case& c = GetParam();
    b.settings.FastReply = c.fastReply;
    b.settings.Speed = QStringLiteral("2400");
    b.bus.timers().setResponseTimeout(kLongTimeout);
    b.link.showsArrivals = true;
    b.link.answerRead(1, c.answer);

    ASSERT_TRUE(b.ops.scan().start(QStringLiteral("1"), QStringLiteral("1")));
    EXPECT_EQ(replyTakenWithin(c.ends ? 10000 : 300), c.ends);
    if (c.ends) {
        EXPECT_EQ(b.table.cell(1, 0), QStringLiteral("12345678"));
        // The next wait is a whole one again.
        EXPECT_EQ(b.respond.interval(), kLongTimeout);
    }
    b.bus.timers().stopAll();
}

const QByteArray kRequest = hex("10 7B 01 7C 16");

INSTANTIATE_TEST_SUITE_P(Answers, FastReplyTest,
                         ::testing::Values(Case{"WholeTelegram", true, meterTelegram(1), true},
                                           Case{"SettingOff", false, meterTelegram(1), false},
                                           // A level converter sends the request back first.
                                           Case{"EchoThenTelegram", true, kRequest + meterTelegram(1), true},
                                           Case{"EchoAlone", true, kRequest, false},
                                           Case{"HalfATelegram", true, meterTelegram(1).left(20), false},
                                           Case{"AnotherMetersTelegram", true, meterTelegram(2), false},
                                           Case{"BytesOfNoFrame", true, hex("00 FF 68 01"), false}),
                         [](const ::testing::TestParamInfo<Case>& param) { return param.param.name; });

} // namespace
} // namespace holvex
