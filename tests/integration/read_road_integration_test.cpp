// Scans and reads through the real channel and the meter operations, against the simulated installation,
// over each of the four channels. The frames the installation records must be the same on every channel:
// the gateways carry the M-Bus frame unchanged as their payload.

#include "road_fixture.h"

#include <gtest/gtest.h>

namespace holvex {
namespace {

using test::Road;
using test::RoadBench;

// Meters at 1, 3 and 5; a meter at 7 with two telegrams; a silent meter at 9.
QByteArray installation(bool ackAsData = false) {
    QByteArray json = R"({
  "turnaroundMs": 5,
  "gateway": {"network": "0.0.0.3", "timeoutMs": 40, "answerTimeout": true, "ackAsData": ACK},
  "meters": [
    {"address": 1, "id": "21034501", "manufacturer": "SEN", "version": 104, "medium": "water",
     "records": [{"type": "volume", "value": 1.5}]},
    {"address": 3, "id": "21034503", "manufacturer": "SEN", "version": 104, "medium": "water",
     "records": [{"type": "volume", "value": 3.5}]},
    {"address": 5, "id": "21034505", "manufacturer": "SEN", "version": 104, "medium": "water",
     "records": [{"type": "volume", "value": 5.5}]},
    {"address": 7, "id": "21034507", "manufacturer": "SEN", "version": 104, "medium": "water",
     "telegrams": [{"records": [{"type": "volume", "value": 7.5}]},
                   {"records": [{"type": "energy", "value": 700}]}]},
    {"address": 9, "id": "21034509", "manufacturer": "SEN", "version": 104, "medium": "water",
     "records": [{"type": "volume", "value": 9.5}], "faults": {"silent": true}}
  ]
})";
    json.replace("ACK", ackAsData ? "true" : "false");
    return json;
}

class ReadRoadTest : public ::testing::TestWithParam<Road> {
protected:
    void startRoad(bool ackAsData = false) {
        QString error;
        ASSERT_TRUE(b.start(GetParam(), installation(ackAsData), &error)) << error.toStdString();
    }

    // A primary scan of from..to, run to its end.
    void scan(const char* from, const char* to) {
        ASSERT_TRUE(b.operations.scan().start(QString::fromLatin1(from), QString::fromLatin1(to)));
        ASSERT_TRUE(b.runToEnd(10000)) << "the scan did not end";
    }

    // One table row holding the address, marked and selected, as a click on it leaves them.
    void selectOne(const QString& address) {
        b.table.setRowCount(2);
        b.table.setCell(1, 1, address);
        b.table.clearMarks();
        b.table.setMarked(1, true);
        b.state.SelectedAddress = address;
    }

    RoadBench b;
};

TEST_P(ReadRoadTest, ScanOfOneToFiveFindsTheThreeMeters) {
    startRoad();
    scan("1", "5");
    EXPECT_EQ(b.recorded(), (QStringList{"10 7B 01 7C 16", "10 7B 02 7D 16", "10 7B 03 7E 16",
                                         "10 7B 04 7F 16", "10 7B 05 80 16"}));
    // Heading, three meters, the empty row a scan leaves at the end.
    EXPECT_EQ(b.rows(), (QStringList{"21034501/1", "21034503/3", "21034505/5", "/"}));
    EXPECT_EQ(b.log.count(QStringLiteral("Reading device 5")), 1);
    EXPECT_FALSE(b.log.has(QStringLiteral("Reading device 1"))); // the first request is not logged
    EXPECT_FALSE(b.state.ScanRunning);
    EXPECT_FALSE(b.progress.shown);
}

TEST_P(ReadRoadTest, SilentAddressesAreAskedOncePlusRetryTimes) {
    startRoad();
    b.settings.Retry = 2;
    scan("8", "9");
    EXPECT_EQ(b.recorded(), (QStringList{"10 7B 08 83 16", "10 7B 08 83 16", "10 7B 08 83 16",
                                         "10 7B 09 84 16", "10 7B 09 84 16", "10 7B 09 84 16"}));
    EXPECT_EQ(b.rows(), (QStringList{"/"}));
}

TEST_P(ReadRoadTest, LinkResetThenReadOnItsAcknowledgement) {
    // Gateways hand the acknowledgement of a command packet back as data only when told to; otherwise it is
    // a status answer and the scan never gets to read.
    startRoad(/*ackAsData=*/true);
    b.settings.Retry = 1;
    b.operations.readCycle().setUseSndNke(true);
    scan("1", "2");
    EXPECT_EQ(b.recorded(),
              (QStringList{"10 40 01 41 16", "10 7B 01 7C 16", "10 40 02 42 16", "10 40 02 42 16"}));
    EXPECT_TRUE(b.log.has(QStringLiteral("0xE5 (Acknowledge) 1")));
    EXPECT_EQ(b.rows(), (QStringList{"21034501/1", "/"}));
}

TEST_P(ReadRoadTest, ControlCode5BWhenTicked) {
    startRoad();
    b.settings.Use5B = true;
    scan("3", "3");
    EXPECT_EQ(b.recorded(), (QStringList{"10 5B 03 5E 16"}));
    EXPECT_EQ(b.rows(), (QStringList{"21034503/3", "/"}));
}

TEST_P(ReadRoadTest, MeterWithTwoTelegramsIsReadTwice) {
    startRoad();
    b.settings.Multitelegram = true;
    selectOne(QStringLiteral("7"));
    ASSERT_TRUE(b.operations.readSelected().run());
    ASSERT_TRUE(b.runToEnd());
    EXPECT_EQ(b.recorded(), (QStringList{"10 7B 07 82 16", "10 7B 07 82 16"}));
    EXPECT_EQ(b.table.cell(1, 0), QStringLiteral("21034507"));
    EXPECT_FALSE(b.state.MoreRecordsPending);
    EXPECT_FALSE(b.log.hasPrefix(QStringLiteral("No response from address ")));
}

TEST_P(ReadRoadTest, WithoutMultitelegramOnlyTheFirstTelegramIsAsked) {
    startRoad();
    selectOne(QStringLiteral("7"));
    ASSERT_TRUE(b.operations.readSelected().run());
    ASSERT_TRUE(b.runToEnd());
    EXPECT_EQ(b.recorded(), (QStringList{"10 7B 07 82 16"}));
}

TEST_P(ReadRoadTest, SilentMeterReadAloneIsReported) {
    startRoad();
    selectOne(QStringLiteral("9"));
    ASSERT_TRUE(b.operations.readSelected().run());
    ASSERT_TRUE(b.runToEnd());
    EXPECT_TRUE(b.log.has(QStringLiteral("No response from address 9")));
    EXPECT_EQ(b.recorded(), (QStringList{"10 7B 09 84 16"}));
}

TEST_P(ReadRoadTest, ReadAllAfterAScanPassesOverTheEmptyRow) {
    startRoad();
    scan("1", "5");
    ASSERT_TRUE(b.operations.readAll().start());
    ASSERT_TRUE(b.runToEnd());
    EXPECT_EQ(b.recorded().mid(5), (QStringList{"10 7B 01 7C 16", "10 7B 03 7E 16", "10 7B 05 80 16"}));
    EXPECT_EQ(b.rows(), (QStringList{"21034501/1", "21034503/3", "21034505/5", "/"}));
}

TEST_P(ReadRoadTest, CompleteAnswersEndTheirWaitsEarly) {
    // Half a minute a wait: the reads are over long before, or the waits did not end with the answers.
    b.bus.timers().setResponseTimeout(30000);
    b.settings.Timeout = 30000;
    startRoad();
    scan("7", "7");
    ASSERT_TRUE(b.operations.readAll().start());
    ASSERT_TRUE(b.runToEnd(10000)) << "a wait lasted its whole timeout";
    EXPECT_EQ(b.recorded(), QStringList(2, QStringLiteral("10 7B 07 82 16")));
    EXPECT_EQ(b.rows(), (QStringList{"21034507/7", "/"}));
}

TEST_P(ReadRoadTest, ReadSelectedReadsEveryMarkedRow) {
    startRoad();
    scan("1", "5");
    b.table.setMarked(1, true);
    b.table.setMarked(3, true);
    ASSERT_TRUE(b.operations.readSelected().run());
    ASSERT_TRUE(b.runToEnd());
    EXPECT_EQ(b.recorded().mid(5), (QStringList{"10 7B 01 7C 16", "10 7B 05 80 16"}));
    EXPECT_EQ(b.state.TableOperation, 0);
}

std::string paramName(const ::testing::TestParamInfo<Road>& road) {
    return test::roadName(road.param);
}

INSTANTIATE_TEST_SUITE_P(EveryChannel, ReadRoadTest,
                         ::testing::Values(Road::SerialPty, Road::LanAdapter, Road::GatewayServer,
                                           Road::GatewayCallingIn),
                         paramName);

} // namespace
} // namespace holvex
