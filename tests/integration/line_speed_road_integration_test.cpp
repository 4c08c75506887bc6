// The bus at the speed of a real 2400-baud line: the simulator writes its answers a few bytes at a time, the
// request takes its time to arrive, and answers that overlap on the line garble. A long answer still on the
// line at the tick is read whole; garbled and late answers are never filed as meters; an echoing level
// converter leaves the meters under their own addresses. Every case ends with the bus free and the rows that
// were in the table unchanged.

#include "road_fixture.h"

#include <gtest/gtest.h>

namespace holvex {
namespace {

using test::Road;
using test::RoadBench;

// A water meter at `address` with ID 3100000<address> and `volumes` volume records.
QByteArray meter(int address, const char* faults = "{}", int volumes = 1) {
    QByteArray records;
    for (int i = 0; i < volumes; ++i) {
        records += QStringLiteral(R"(%1{"type": "volume", "value": %2.5})")
                       .arg(i > 0 ? QStringLiteral(",") : QString())
                       .arg(address + i)
                       .toLatin1();
    }
    return QStringLiteral(R"({"address": %1, "id": "3100000%1", "manufacturer": "SEN", "version": 1,
     "medium": "water", "records": [%2], "faults": %3})")
        .arg(address)
        .arg(QString::fromLatin1(records), QString::fromLatin1(faults))
        .toLatin1();
}

QByteArray installation(const QList<QByteArray>& meters, const QByteArray& extra = {}) {
    QByteArray json = R"({"turnaroundMs": 5, "lineBaud": 2400, )" + extra + R"("meters": [)";
    for (int i = 0; i < meters.size(); ++i) {
        json += (i > 0 ? "," : "") + meters[i];
    }
    return json + "]}";
}

// A row the installer already had: it must come out of every operation as it went in.
const QStringList kKeptRow{QStringLiteral("99999999"), QStringLiteral("99"), QStringLiteral("kept")};
const QStringList kKnownRows{"31000001/1", "31000002/2", "31000003/3", "31000004/4", "99999999/99", "/"};

// The scans file into the last row, which is kept empty.
void putKeptRow(RoadBench& b) {
    b.table.setRowCount(3);
    for (int column = 0; column < kKeptRow.size(); ++column) {
        b.table.setCell(1, column, kKeptRow[column]);
    }
}

void expectKeptRow(const RoadBench& b) {
    ASSERT_GE(b.table.gridRowCount(), 2);
    for (int column = 0; column < kKeptRow.size(); ++column) {
        EXPECT_EQ(b.table.cell(1, column).toStdString(), kKeptRow[column].toStdString());
    }
}

std::string text(const QStringList& lines) {
    return lines.join(QLatin1Char('\n')).toStdString();
}

// Every row is a meter of the installation under its own address, the kept row, or the empty last row.
void expectOnlyKnownRows(const RoadBench& b) {
    for (const QString& row : b.rows()) {
        EXPECT_TRUE(kKnownRows.contains(row)) << row.toStdString();
    }
}

std::string roadLabel(const ::testing::TestParamInfo<Road>& param) {
    return test::roadName(param.param);
}

class LineSpeedRoadTest : public ::testing::TestWithParam<Road> {};

// 38 records: a 249-byte answer, 1.15 s on the line after the 5-byte request; the tick cuts it.
void readLongAnswer(Road road, int periodMs, bool fastReply) {
    RoadBench b{periodMs};
    b.settings.FastReply = fastReply;
    QString error;
    ASSERT_TRUE(b.start(road, installation({meter(1, "{}", 38)}), &error)) << error.toStdString();
    putKeptRow(b);
    ASSERT_TRUE(b.operations.scan().start(QStringLiteral("1"), QStringLiteral("1")));
    ASSERT_TRUE(b.runToEnd(20000));
    EXPECT_FALSE(b.bus.busy());
    expectKeptRow(b);
    EXPECT_EQ(text(b.rows()), text({"99999999/99", "31000001/1", "/"})) << text(b.log.plain());
    EXPECT_FALSE(b.log.hasPrefix(QStringLiteral("No response from address ")));
}

TEST_P(LineSpeedRoadTest, ALongAnswerCutByTheTickIsReadWhole) {
    readLongAnswer(GetParam(), 1000, true);
}

TEST_P(LineSpeedRoadTest, ALongAnswerLongerThanTwoShortPeriodsIsReadWhole) {
    // Every wait its whole timeout: the answer is waited for while it keeps coming.
    readLongAnswer(GetParam(), 500, false);
}

TEST_P(LineSpeedRoadTest, ALateAnswerRunningIntoTheNextOneIsNeverFiled) {
    // Meter 1 answers 450 ms late: after the 400 ms tick, over the answer of 2; 3 answers on a quiet line.
    RoadBench b{400};
    QString error;
    ASSERT_TRUE(
        b.start(GetParam(), installation({meter(1, R"({"lateMs": 450})"), meter(2), meter(3)}), &error))
        << error.toStdString();
    putKeptRow(b);
    ASSERT_TRUE(b.operations.scan().start(QStringLiteral("1"), QStringLiteral("3")));
    ASSERT_TRUE(b.runToEnd(20000));
    EXPECT_FALSE(b.bus.busy());
    expectKeptRow(b);
    expectOnlyKnownRows(b);
    EXPECT_TRUE(b.rows().contains(QStringLiteral("31000003/3"))) << text(b.log.plain());
}

TEST_P(LineSpeedRoadTest, AScanThroughAnEchoingConverterFindsTheMetersUnderTheirAddresses) {
    RoadBench b{400};
    QString error;
    ASSERT_TRUE(b.start(GetParam(), installation({meter(1), meter(2)}, R"("echo": true, )"), &error))
        << error.toStdString();
    putKeptRow(b);
    ASSERT_TRUE(b.operations.scan().start(QStringLiteral("1"), QStringLiteral("2")));
    ASSERT_TRUE(b.runToEnd(20000));
    EXPECT_FALSE(b.bus.busy());
    expectKeptRow(b);
    EXPECT_EQ(text(b.rows()), text({"99999999/99", "31000001/1", "31000002/2", "/"})) << text(b.log.plain());
}

class GarbleRoadTest : public ::testing::TestWithParam<Road> {};

TEST_P(GarbleRoadTest, MetersAnsweringTogetherAtTheBroadcastGarble) {
    // Both answer the broadcast with reply, 30 ms (6.5 bytes) apart: their bytes overlap and garble.
    RoadBench b{1000};
    QString error;
    ASSERT_TRUE(b.start(GetParam(),
                        installation({meter(1), meter(2, R"({"lateMs": 30})")},
                                     R"("gateway": {"network": "0.0.0.3", "timeoutMs": 1000}, )"),
                        &error))
        << error.toStdString();
    putKeptRow(b);
    b.table.setRowCount(4);
    b.table.setCell(2, 1, QStringLiteral("254"));
    b.table.setMarked(2, true);
    b.state.SelectedAddress = QStringLiteral("254");
    ASSERT_TRUE(b.operations.readSelected().run());
    ASSERT_TRUE(b.runToEnd(20000));
    EXPECT_FALSE(b.bus.busy());
    expectKeptRow(b);
    EXPECT_EQ(b.table.cell(2, 0).toStdString(), "") << text(b.log.plain());
    EXPECT_EQ(b.table.cell(2, 1), QStringLiteral("254"));
    EXPECT_TRUE(b.log.has(QStringLiteral("Wrong CRC"))) << text(b.log.plain());
}

INSTANTIATE_TEST_SUITE_P(Paced, GarbleRoadTest,
                         ::testing::Values(Road::SerialPty, Road::LanAdapter, Road::GatewayServer),
                         roadLabel);

INSTANTIATE_TEST_SUITE_P(Paced, LineSpeedRoadTest, ::testing::Values(Road::SerialPty, Road::LanAdapter),
                         roadLabel);

} // namespace
} // namespace holvex
