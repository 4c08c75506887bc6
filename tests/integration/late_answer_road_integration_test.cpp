// Answers that do not come when and how they were asked for: a meter answering later than the response
// timeout, and an answer still on the line when the tick comes. Against the simulated installation on the
// serial line and the LAN adapter, where the late bytes reach the program as they are.

#include "road_fixture.h"

#include <gtest/gtest.h>

namespace holvex {
namespace {

using test::Road;
using test::RoadBench;

QByteArray meter(int address, const char* faults = "{}") {
    return QStringLiteral(
               R"({"address": %1, "id": "3100000%1", "manufacturer": "SEN", "version": 1, "medium": "water",
     "records": [{"type": "volume", "value": %1.5}], "faults": %2})")
        .arg(address)
        .arg(QString::fromLatin1(faults))
        .toLatin1();
}

QByteArray installation(const QList<QByteArray>& meters) {
    QByteArray json = R"({"turnaroundMs": 5, "meters": [)";
    for (int i = 0; i < meters.size(); ++i) {
        json += (i > 0 ? "," : "") + meters[i];
    }
    return json + "]}";
}

class LateAnswerRoadTest : public ::testing::TestWithParam<Road> {
protected:
    RoadBench b{300};
};

TEST_P(LateAnswerRoadTest, ALateAnswerIsNeverTakenForTheNextMeters) {
    // The meter at 2 answers 650 ms after each request: after the retry, in the windows of 3 and 4.
    QString error;
    ASSERT_TRUE(b.start(GetParam(),
                        installation({meter(1), meter(2, R"({"lateMs": 650})"), meter(3), meter(4)}), &error))
        << error.toStdString();
    b.settings.Retry = 1;
    // Every wait its whole timeout: the late answer then lands in the windows of 3 and 4.
    b.settings.FastReply = false;
    ASSERT_TRUE(b.operations.scan().start(QStringLiteral("1"), QStringLiteral("4")));
    ASSERT_TRUE(b.runToEnd(15000));
    EXPECT_EQ(b.rows(), (QStringList{"31000001/1", "31000003/3", "31000004/4", "/"}));
    EXPECT_TRUE(b.log.has(QStringLiteral("Answer from address 2 ignored while reading 3")));
    EXPECT_EQ(b.recorded().count(QStringLiteral("10 7B 03 7E 16")), 1) << "3 was read at the first request";
}

TEST_P(LateAnswerRoadTest, AnAnswerCutByTheTickIsWaitedFor) {
    // The second half of the answer comes 400 ms after the first, past the 300 ms tick.
    QString error;
    ASSERT_TRUE(b.start(GetParam(), installation({meter(5, R"({"pieces": 2, "gapMs": 400})")}), &error))
        << error.toStdString();
    ASSERT_TRUE(b.operations.scan().start(QStringLiteral("5"), QStringLiteral("5")));
    ASSERT_TRUE(b.runToEnd(15000));
    EXPECT_EQ(b.rows(), (QStringList{"31000005/5", "/"}));
    EXPECT_EQ(b.recorded(), (QStringList{"10 7B 05 80 16"}));
}

INSTANTIATE_TEST_SUITE_P(BytesAsTheyCome, LateAnswerRoadTest,
                         ::testing::Values(Road::SerialPty, Road::LanAdapter),
                         [](const ::testing::TestParamInfo<Road>& param) {
                             return test::roadName(param.param);
                         });

} // namespace
} // namespace holvex
