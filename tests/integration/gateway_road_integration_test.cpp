// The gateway side of the read road: packets that come in pieces or too long, a second gateway calling in,
// and the extra reply periods waited for a gateway on a slow (GPRS) line.

#include "codec/frame_codec.h"
#include "codec/packet_codec.h"
#include "road_fixture.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpSocket>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace holvex {
namespace {

using test::Road;
using test::RoadBench;
using test::spinFor;

// An answer packet as a gateway sends it: start, network 0.0.0.3, header checksum at 19, byte 21 (0xA5 for a
// status-only answer), L at 22, payload from 25, result code at L + 28, packet checksum at 298, stop.
QByteArray answerPacket(const QByteArray& payload, bool statusOnly = false) {
    QByteArray packet(300, '\0');
    packet[0] = 0x01;
    packet[4] = 0x03;
    const auto sum = [&packet](int last) {
        unsigned total = 0;
        for (int i = 0; i <= last; ++i) {
            total += static_cast<std::uint8_t>(packet[i]);
        }
        return static_cast<char>(total & 0xFF);
    };
    packet[19] = sum(18);
    packet[21] = statusOnly ? static_cast<char>(0xA5) : static_cast<char>(0xA1);
    const int length = static_cast<int>(payload.size()) + 4;
    packet[22] = static_cast<char>(length);
    for (int i = 0; i < payload.size(); ++i) {
        packet[25 + i] = payload[i];
    }
    packet[298] = sum(297);
    packet[299] = 0x04;
    return packet;
}

// A water meter's answer with the ID 12345678 and a volume.
QByteArray meterTelegram(int address) {
    const QByteArray data = QByteArray::fromHex("78563412B4090107050000000C1345230100");
    return codec::longFrame(0x08, static_cast<std::uint8_t>(address), 0x72, data);
}

// A gateway played by the test on a plain socket, calling in to the program's server socket.
class FakeGatewayTest : public ::testing::Test {
protected:
    void SetUp() override {
        b.settings.UseEthernet = true;
        b.settings.ListenPort = QStringLiteral("0");
        b.channel.toggleServerSocket(b.settings.ListenPort);
        ASSERT_TRUE(b.state.ServerListening);
        gateway.connectToHost(QHostAddress::LocalHost, b.channel.listeningPort());
        ASSERT_TRUE(spinFor([this] { return b.state.GatewayCalledIn; }, 3000));
        writeInPieces(answerPacket({}, /*statusOnly=*/true), 3);
        ASSERT_TRUE(spinFor(
            [this] { return b.log.has(QStringLiteral("Connected Ferrin Network number: 0.0.0.3")); }, 3000));
    }

    // Writes the bytes in `pieces` equal parts, each taken into the program's envelope before the next.
    void writeInPieces(const QByteArray& bytes, int pieces) {
        const int size = static_cast<int>(bytes.size()) / pieces;
        for (int i = 0; i < pieces; ++i) {
            const int before = b.state.EnvelopeCount;
            const QByteArray piece = i + 1 < pieces ? bytes.mid(i * size, size) : bytes.mid(i * size);
            gateway.write(piece);
            gateway.flush();
            if (i + 1 < pieces) {
                ASSERT_TRUE(spinFor([&] { return b.state.EnvelopeCount == before + piece.size(); }, 2000));
            }
        }
    }

    // The next request packet the program sends; its payload is the M-Bus frame.
    QByteArray receivePayload() {
        if (!spinFor([this] { return gateway.bytesAvailable() >= codec::kPacketSize; }, 2000)) {
            return {};
        }
        const QByteArray packet = gateway.read(codec::kPacketSize);
        const int length = static_cast<std::uint8_t>(packet[13]) - 2;
        return packet.mid(16, length);
    }

    void readAddressFive() {
        b.table.setRowCount(2);
        b.table.setCell(1, 1, QStringLiteral("5"));
        b.table.setMarked(1, true);
        b.state.SelectedAddress = QStringLiteral("5");
        ASSERT_TRUE(b.operations.readSelected().run());
        ASSERT_EQ(receivePayload(), codec::shortFrame(codec::control::kReqUd2, 5));
    }

    RoadBench b{150};
    QTcpSocket gateway;
};

TEST_F(FakeGatewayTest, AnswerInThreePiecesIsCheckedOnceAndDecoded) {
    readAddressFive();
    writeInPieces(answerPacket(meterTelegram(5)), 3);
    ASSERT_TRUE(b.runToEnd());
    EXPECT_EQ(b.table.cell(1, 0), QStringLiteral("12345678"));
    // The identification and the answer: each checked once, as a whole.
    EXPECT_EQ(b.log.lines.filter(QStringLiteral("Packet: ")).size(), 2);
    EXPECT_TRUE(b.log.has(QStringLiteral("Done!")));
    EXPECT_FALSE(b.log.hasPrefix(QStringLiteral("No response from address ")));
}

TEST_F(FakeGatewayTest, ThreeHundredAndOneBytesAreDiscardedAndTheNextReadWorks) {
    readAddressFive();
    gateway.write(QByteArray(200, '\x01'));
    gateway.flush();
    ASSERT_TRUE(spinFor([this] { return b.state.EnvelopeCount == 200; }, 2000));
    gateway.write(QByteArray(101, '\x02'));
    gateway.flush();
    ASSERT_TRUE(b.runToEnd());
    EXPECT_TRUE(b.log.has(QStringLiteral("Wrong byte count in the telegram, 301")));
    EXPECT_TRUE(b.log.has(QStringLiteral("No response from address 5")));
    EXPECT_EQ(b.state.EnvelopeCount, 0);
    EXPECT_TRUE(b.table.cell(1, 0).isEmpty());

    // Nothing of the broken packet is left over to spoil the next one.
    readAddressFive();
    writeInPieces(answerPacket(meterTelegram(5)), 1);
    ASSERT_TRUE(b.runToEnd());
    EXPECT_EQ(b.table.cell(1, 0), QStringLiteral("12345678"));
}

// The simulated gateway of network 0.0.0.3, quiet when a meter does not answer, waiting 400 ms for one.
const char kQuietGateway[] = R"({
  "turnaroundMs": 5,
  "gateway": {"network": "0.0.0.3", "timeoutMs": 400, "answerTimeout": false},
  "meters": [
    {"address": 1, "id": "21034501", "manufacturer": "SEN", "version": 104, "medium": "water",
     "records": [{"type": "volume", "value": 1.5}]},
    {"address": 2, "id": "21034502", "manufacturer": "SEN", "version": 104, "medium": "water",
     "records": [{"type": "volume", "value": 2.5}], "faults": {"lateMs": 130}},
    {"address": 9, "id": "21034509", "manufacturer": "SEN", "version": 104, "medium": "water",
     "records": [{"type": "volume", "value": 9.5}], "faults": {"silent": true}}
  ]
})";

class CallingInGatewayTest : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(b.start(Road::GatewayCallingIn, QByteArray(kQuietGateway), &error))
            << error.toStdString();
        // A first read takes the identification's place as the last packet arrived.
        read(QStringLiteral("1"));
        ASSERT_EQ(b.table.cell(1, 0), QStringLiteral("21034501"));
    }

    // A single read of the address; returns the milliseconds until it ended.
    qint64 read(const QString& address) {
        b.table.setRowCount(2);
        b.table.setCell(1, 0, QString());
        b.table.setCell(1, 1, address);
        b.table.setMarked(1, true);
        b.state.SelectedAddress = address;
        QElapsedTimer clock;
        clock.start();
        EXPECT_TRUE(b.operations.readSelected().run());
        EXPECT_TRUE(b.runToEnd());
        return clock.elapsed();
    }

    static constexpr int kPeriod = 80;
    RoadBench b{kPeriod};
};

TEST_F(CallingInGatewayTest, ReloadWaitsThreePeriodsBeforeTimerOverload) {
    b.settings.TReload = 2;
    const qint64 elapsed = read(QStringLiteral("9"));
    EXPECT_GE(elapsed, 3 * kPeriod - 10);
    EXPECT_LT(elapsed, 3 * kPeriod + 250);
    EXPECT_EQ(b.log.count(QStringLiteral("Timer overload...")), 1);
    const auto overload = b.log.lines.indexOf(QStringLiteral("Timer overload..."));
    const auto missing = b.log.lines.indexOf(QStringLiteral("No response from address 9"));
    ASSERT_GE(missing, 0);
    EXPECT_LT(overload, missing);
    EXPECT_EQ(b.state.ReloadCount, 0);
}

TEST_F(CallingInGatewayTest, WithoutReloadTheFirstEmptyPeriodIsAnOverload) {
    b.settings.TReload = 0;
    const qint64 elapsed = read(QStringLiteral("9"));
    EXPECT_LT(elapsed, 2 * kPeriod + 100);
    EXPECT_TRUE(b.log.has(QStringLiteral("Timer overload...")));
    EXPECT_TRUE(b.log.has(QStringLiteral("No response from address 9")));
}

TEST_F(CallingInGatewayTest, LateAnswerArrivesDuringTheReloadPeriods) {
    b.settings.TReload = 2;
    read(QStringLiteral("2"));
    EXPECT_EQ(b.table.cell(1, 0), QStringLiteral("21034502"));
    EXPECT_FALSE(b.log.has(QStringLiteral("Timer overload...")));
}

TEST_F(CallingInGatewayTest, SecondGatewayIsRefusedAndTheFirstStillServes) {
    QTcpSocket second;
    second.connectToHost(QHostAddress::LocalHost, b.channel.listeningPort());
    ASSERT_TRUE(
        spinFor([&] { return b.log.hasPrefix(QStringLiteral("Incoming connection ignored at ")); }, 3000));
    ASSERT_TRUE(spinFor([&] { return second.state() == QAbstractSocket::UnconnectedState; }, 3000));
    EXPECT_TRUE(b.state.GatewayCalledIn);

    b.settings.TReload = 2; // the meter at 2 answers late
    ASSERT_TRUE(b.operations.scan().start(QStringLiteral("1"), QStringLiteral("2")));
    ASSERT_TRUE(b.runToEnd());
    EXPECT_EQ(b.rows(), (QStringList{"21034501/1", "21034502/2", "/"}));
}

} // namespace
} // namespace holvex
