// Roads that break in the middle of an operation, on a 2400-baud line: a gateway that drops its connection,
// a TCP adapter that refuses, a serial adapter pulled out during a scan, and a peer flooding the server
// socket the gateways call in to. Every case ends with the operation over and a line in the log saying why,
// the bus free, and the rows that were in the table unchanged.

#include "road_fixture.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

namespace holvex {
namespace {

using test::Road;
using test::RoadBench;
using test::spinFor;

QByteArray installation(int meters, const QByteArray& extra = {}) {
    QByteArray json = R"({"turnaroundMs": 5, "lineBaud": 2400, )" + extra + R"("meters": [)";
    for (int address = 1; address <= meters; ++address) {
        json += QStringLiteral(R"(%1{"address": %2, "id": "3100000%2", "manufacturer": "SEN", "version": 1,
            "medium": "water", "records": [{"type": "volume", "value": %2.5}]})")
                    .arg(address > 1 ? QStringLiteral(",") : QString())
                    .arg(address)
                    .toLatin1();
    }
    return json + "]}";
}

std::string text(const QStringList& lines) {
    return lines.join(QLatin1Char('\n')).toStdString();
}

// A row the installer already had; the scans file into the last row, which is kept empty.
const QStringList kKeptRow{QStringLiteral("99999999"), QStringLiteral("99"), QStringLiteral("kept")};

void putKeptRow(RoadBench& b) {
    b.table.setRowCount(3);
    for (int column = 0; column < kKeptRow.size(); ++column) {
        b.table.setCell(1, column, kKeptRow[column]);
    }
}

// The operation is over, the bus free, the kept row as it was and every other row a meter of the
// installation under its own address (or the empty last row).
void expectCleanEnd(RoadBench& b) {
    ASSERT_TRUE(b.runToEnd(20000)) << text(b.log.plain());
    EXPECT_FALSE(b.bus.busy());
    ASSERT_GE(b.table.gridRowCount(), 2);
    for (int column = 0; column < kKeptRow.size(); ++column) {
        EXPECT_EQ(b.table.cell(1, column).toStdString(), kKeptRow[column].toStdString());
    }
    for (const QString& row : b.rows().mid(1)) {
        EXPECT_TRUE(row == QStringLiteral("/") ||
                    QStringList({"31000001/1", "31000002/2", "31000003/3", "31000004/4"}).contains(row))
            << row.toStdString();
    }
}

class GatewayDropRoadTest : public ::testing::TestWithParam<Road> {};

TEST_P(GatewayDropRoadTest, AConnectionDroppedInTheMiddleOfAScanEndsTheScan) {
    // The bus behind the gateway runs at 2400 baud: a meter's 48 bytes take 220 ms.
    RoadBench b{600};
    QString error;
    ASSERT_TRUE(b.start(GetParam(), installation(4, R"("gateway": {"network": "0.0.0.3", "timeoutMs": 450,
                                           "dropAfterPackets": 2}, )"),
                        &error))
        << error.toStdString();
    putKeptRow(b);
    ASSERT_TRUE(b.operations.scan().start(QStringLiteral("1"), QStringLiteral("4")));
    expectCleanEnd(b);
    EXPECT_TRUE(b.rows().contains(QStringLiteral("31000001/1"))) << text(b.log.plain());
    EXPECT_TRUE(b.log.hasPrefix(GetParam() == Road::GatewayServer ? QStringLiteral("Disconnected")
                                                                  : QStringLiteral("Connection to ")))
        << text(b.log.plain());
}

INSTANTIATE_TEST_SUITE_P(Gateways, GatewayDropRoadTest,
                         ::testing::Values(Road::GatewayServer, Road::GatewayCallingIn),
                         [](const ::testing::TestParamInfo<Road>& param) {
                             return test::roadName(param.param);
                         });

class RefusingAdapterRoadTest : public ::testing::TestWithParam<bool> {};

TEST_P(RefusingAdapterRoadTest, AScanThroughARefusingAdapterEndsAtOnce) {
    const bool nothingListens = GetParam();
    RoadBench b{300};
    QString error;
    ASSERT_TRUE(b.start(Road::LanAdapter,
                        installation(2, nothingListens ? "" : R"("lanDropsConnections": true, )"), &error))
        << error.toStdString();
    if (nothingListens) {
        QTcpServer closed;
        ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
        b.settings.RemotePort = QString::number(closed.serverPort());
    }
    putKeptRow(b);
    b.operations.scan().start(QStringLiteral("1"), QStringLiteral("2"));
    expectCleanEnd(b);
    EXPECT_EQ(text(b.rows()), text({"99999999/99", "/"}));
    EXPECT_TRUE(
        b.log.hasPrefix(nothingListens ? QStringLiteral("Socket error") : QStringLiteral("Disconnected")))
        << text(b.log.plain());
}

INSTANTIATE_TEST_SUITE_P(Refusals, RefusingAdapterRoadTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return std::string(param.param ? "NothingListens" : "ClosesEveryConnection");
                         });

TEST(VanishingPortRoadTest, ASerialAdapterPulledOutDuringAScanEndsTheScan) {
    RoadBench b{400};
    QString error;
    ASSERT_TRUE(b.start(Road::SerialPty, installation(4), &error)) << error.toStdString();
    putKeptRow(b);
    ASSERT_TRUE(b.operations.scan().start(QStringLiteral("1"), QStringLiteral("4")));
    ASSERT_TRUE(spinFor([&b] { return b.rows().contains(QStringLiteral("31000001/1")); }, 10000));
    b.sim.removePty(b.settings.PortName);
    expectCleanEnd(b);
    EXPECT_TRUE(b.rows().contains(QStringLiteral("31000001/1")));
    EXPECT_TRUE(b.log.hasPrefix(b.settings.PortName + QStringLiteral(" lost: "))) << text(b.log.plain());
    EXPECT_TRUE(b.log.hasPrefix(QStringLiteral("No valid physical connection"))) << text(b.log.plain());
}

TEST(FloodedServerRoadTest, JunkFromAPeerIsDroppedAndTheNextGatewayIsServed) {
    RoadBench b{600};
    QString error;
    ASSERT_TRUE(b.sim.start(installation(2, R"("gateway": {"timeoutMs": 450}, )"), &error));
    b.settings.UseEthernet = true;
    b.settings.ListenPort = QStringLiteral("0");
    b.channel.toggleServerSocket(b.settings.ListenPort);
    ASSERT_TRUE(b.state.ServerListening);
    putKeptRow(b);

    // 4 MB as fast as the socket takes them: junk, and packet starts that never end.
    QTcpSocket flood;
    flood.connectToHost(QHostAddress::LocalHost, b.channel.listeningPort());
    ASSERT_TRUE(flood.waitForConnected(5000));
    QByteArray block;
    for (int i = 0; block.size() < 64 * 1024; ++i) {
        block += char(0x01) + QByteArray(149, char(0x55)) + QByteArray(211, char(i * 37));
    }
    for (int sent = 0; sent < 64 && flood.state() == QAbstractSocket::ConnectedState; ++sent) {
        flood.write(block);
        ASSERT_TRUE(spinFor([&flood] { return flood.bytesToWrite() < 256 * 1024; }, 20000));
    }
    flood.disconnectFromHost();
    ASSERT_TRUE(spinFor(
        [&] { return !b.state.GatewayCalledIn && flood.state() == QAbstractSocket::UnconnectedState; },
        20000));
    EXPECT_LE(b.state.EnvelopeCount, 300);
    EXPECT_LE(b.state.RawReply.size(), 1024);
    EXPECT_LE(b.state.GatewayReply.size(), 1024);
    EXPECT_LT(b.log.lines.size(), 100) << "lines logged for the junk: " << b.log.lines.size();
    EXPECT_TRUE(b.log.hasPrefix(QStringLiteral("Connection to 127.0.0.1 closed: 8 bad packets in a row")));

    b.sim.addGatewayCall(QStringLiteral("127.0.0.1"), b.channel.listeningPort(), 50);
    ASSERT_TRUE(spinFor([&b] { return b.log.hasPrefix(QStringLiteral("Connected Ferrin")); }, 10000))
        << text(b.log.plain().mid(0, 40));
    ASSERT_TRUE(b.operations.scan().start(QStringLiteral("1"), QStringLiteral("2")));
    expectCleanEnd(b);
    EXPECT_EQ(text(b.rows()), text({"99999999/99", "31000001/1", "31000002/2", "/"})) << text(b.log.plain());
}

TEST(FloodedServerRoadTest, AWirelessAdapterSendingWithoutEndKeepsOnlyItsNewestBytes) {
    RoadBench b;
    b.settings.UseEthernet = true;
    b.settings.UseNerit1 = true;
    b.settings.ListenPort = QStringLiteral("0");
    b.channel.toggleServerSocket(b.settings.ListenPort);
    ASSERT_TRUE(b.state.ServerListening);
    QTcpSocket flood;
    flood.connectToHost(QHostAddress::LocalHost, b.channel.listeningPort());
    ASSERT_TRUE(flood.waitForConnected(5000));
    QByteArray block(64 * 1024, '\0');
    for (int i = 0; i < block.size(); ++i) {
        block[i] = static_cast<char>(i * 7);
    }
    for (int sent = 0; sent < 32; ++sent) {
        flood.write(block);
        ASSERT_TRUE(spinFor([&flood] { return flood.bytesToWrite() < 256 * 1024; }, 20000));
    }
    flood.write("the end");
    flood.disconnectFromHost();
    ASSERT_TRUE(
        spinFor([&] { return b.state.RawReply.endsWith("the end") && !b.state.GatewayCalledIn; }, 20000))
        << b.state.RawReply.size();
    EXPECT_LE(b.state.RawReply.size(), 64 * 1024);
    EXPECT_FALSE(b.bus.busy());
}

} // namespace
} // namespace holvex
