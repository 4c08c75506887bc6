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
QByteArray Installation(bool ackAsData = false) {
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
    void StartRoad(bool ackAsData = false) {
        QString error;
        ASSERT_TRUE(b.Start(GetParam(), Installation(ackAsData), &error)) << error.toStdString();
    }

    // A primary scan of from..to, run to its end.
    void Scan(const char* from, const char* to) {
        ASSERT_TRUE(b.operations.scan().Start(QString::fromLatin1(from), QString::fromLatin1(to)));
        ASSERT_TRUE(b.RunToEnd(10000)) << "the scan did not end";
    }

    // One table row holding the address, marked and selected, as a click on it leaves them.
    void SelectOne(const QString& address) {
        b.table.SetRowCount(2);
        b.table.SetCell(1, 1, address);
        b.table.ClearMarks();
        b.table.SetMarked(1, true);
        b.state.SelectedAddress = address;
    }

    RoadBench b;
};

TEST_P(ReadRoadTest, ScanOfOneToFiveFindsTheThreeMeters) {
    StartRoad();
    Scan("1", "5");
    EXPECT_EQ(b.Recorded(), (QStringList{"10 7B 01 7C 16", "10 7B 02 7D 16", "10 7B 03 7E 16",
                                         "10 7B 04 7F 16", "10 7B 05 80 16"}));
    // Heading, three meters, the empty row a scan leaves at the end.
    EXPECT_EQ(b.Rows(), (QStringList{"21034501/1", "21034503/3", "21034505/5", "/"}));
    EXPECT_EQ(b.log.Count(QStringLiteral("Reading device 5")), 1);
    EXPECT_FALSE(b.log.Has(QStringLiteral("Reading device 1"))); // the first request is not logged
    EXPECT_FALSE(b.state.ScanRunning);
    EXPECT_FALSE(b.progress.shown);
}

TEST_P(ReadRoadTest, SilentAddressesAreAskedOncePlusRetryTimes) {
    StartRoad();
    b.settings.Retry = 2;
    Scan("8", "9");
    EXPECT_EQ(b.Recorded(), (QStringList{"10 7B 08 83 16", "10 7B 08 83 16", "10 7B 08 83 16",
                                         "10 7B 09 84 16", "10 7B 09 84 16", "10 7B 09 84 16"}));
    EXPECT_EQ(b.Rows(), (QStringList{"/"}));
}

TEST_P(ReadRoadTest, LinkResetThenReadOnItsAcknowledgement) {
    // Gateways hand the acknowledgement of a command packet back as data only when told to; otherwise it is
    // a status answer and the scan never gets to read.
    StartRoad(/*ackAsData=*/true);
    b.settings.Retry = 1;
    b.operations.readCycle().setUseSndNke(true);
    Scan("1", "2");
    EXPECT_EQ(b.Recorded(),
              (QStringList{"10 40 01 41 16", "10 7B 01 7C 16", "10 40 02 42 16", "10 40 02 42 16"}));
    EXPECT_TRUE(b.log.Has(QStringLiteral("0xE5 (Acknowledge) 1")));
    EXPECT_EQ(b.Rows(), (QStringList{"21034501/1", "/"}));
}

TEST_P(ReadRoadTest, ControlCode5BWhenTicked) {
    StartRoad();
    b.settings.Use5B = true;
    Scan("3", "3");
    EXPECT_EQ(b.Recorded(), (QStringList{"10 5B 03 5E 16"}));
    EXPECT_EQ(b.Rows(), (QStringList{"21034503/3", "/"}));
}

TEST_P(ReadRoadTest, MeterWithTwoTelegramsIsReadTwice) {
    StartRoad();
    b.settings.Multitelegram = true;
    SelectOne(QStringLiteral("7"));
    ASSERT_TRUE(b.operations.readSelected().Run());
    ASSERT_TRUE(b.RunToEnd());
    EXPECT_EQ(b.Recorded(), (QStringList{"10 7B 07 82 16", "10 7B 07 82 16"}));
    EXPECT_EQ(b.table.Cell(1, 0), QStringLiteral("21034507"));
    EXPECT_FALSE(b.state.MoreRecordsPending);
    EXPECT_FALSE(b.log.HasPrefix(QStringLiteral("No response from address ")));
}

TEST_P(ReadRoadTest, WithoutMultitelegramOnlyTheFirstTelegramIsAsked) {
    StartRoad();
    SelectOne(QStringLiteral("7"));
    ASSERT_TRUE(b.operations.readSelected().Run());
    ASSERT_TRUE(b.RunToEnd());
    EXPECT_EQ(b.Recorded(), (QStringList{"10 7B 07 82 16"}));
}

TEST_P(ReadRoadTest, SilentMeterReadAloneIsReported) {
    StartRoad();
    SelectOne(QStringLiteral("9"));
    ASSERT_TRUE(b.operations.readSelected().Run());
    ASSERT_TRUE(b.RunToEnd());
    EXPECT_TRUE(b.log.Has(QStringLiteral("No response from address 9")));
    EXPECT_EQ(b.Recorded(), (QStringList{"10 7B 09 84 16"}));
}

TEST_P(ReadRoadTest, ReadAllAfterAScanPassesOverTheEmptyRow) {
    StartRoad();
    Scan("1", "5");
    ASSERT_TRUE(b.operations.readAll().Start());
    ASSERT_TRUE(b.RunToEnd());
    EXPECT_EQ(b.Recorded().mid(5), (QStringList{"10 7B 01 7C 16", "10 7B 03 7E 16", "10 7B 05 80 16"}));
    EXPECT_EQ(b.Rows(), (QStringList{"21034501/1", "21034503/3", "21034505/5", "/"}));
}

TEST_P(ReadRoadTest, ReadSelectedReadsEveryMarkedRow) {
    StartRoad();
    Scan("1", "5");
    b.table.SetMarked(1, true);
    b.table.SetMarked(3, true);
    ASSERT_TRUE(b.operations.readSelected().Run());
    ASSERT_TRUE(b.RunToEnd());
    EXPECT_EQ(b.Recorded().mid(5), (QStringList{"10 7B 01 7C 16", "10 7B 05 80 16"}));
    EXPECT_EQ(b.state.TableOperation, 0);
}

std::string ParamName(const ::testing::TestParamInfo<Road>& road) {
    return test::RoadName(road.param);
}

INSTANTIATE_TEST_SUITE_P(EveryChannel, ReadRoadTest,
                         ::testing::Values(Road::SerialPty, Road::LanAdapter, Road::GatewayServer,
                                           Road::GatewayCallingIn),
                         ParamName);

} // namespace
} // namespace holvex
