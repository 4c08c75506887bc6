#include "codec/packet_codec.h"
#include "devices/receiver/aes_key.h"
#include "devices/receiver/radio_application.h"
#include "devices/receiver/radio_header.h"
#include "devices/receiver/telegram_finder.h"
#include "sim/frame_recorder.h"
#include "sim/gateway_server_endpoint.h"
#include "sim/lan_endpoint.h"
#include "sim/sim_installation.h"
#include "sim/sim_thread.h"
#include "sim/text_line.h"
#include "test_support.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QSerialPort>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace holvex::sim {
namespace {

using test::hex;

constexpr char kInstallation[] = R"({
    "turnaroundMs": 1,
    "gateway": {"network": "0.0.0.1", "timeoutMs": 150},
    "receiver": {
        "paceMs": 120, "splitGapMs": 50,
        "meters": [
            {"id": "12345678", "manufacturer": "ELS", "version": 1, "device": "water",
             "records": [{"type": "volume", "value": 1.5}]},
            {"id": "44332211", "manufacturer": "KAM", "version": 2, "device": "heat", "ci": "long",
             "key": "0102030405060708090A0B0C0D0E0F11", "split": true,
             "records": [{"type": "energy", "value": 321}]}
        ]}})";

const QByteArray kKey = hex("01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 11");
// A key that holds CR, LF, 0x00 and 0x68: the line must still reach the receiver whole.
const QByteArray kRawKey = hex("0D 0A 00 68 16 2C 20 73 65 74 20 FF 80 7F 1B 5C");

// What the port delivers within windowMs.
QByteArray readFor(QSerialPort& port, int windowMs) {
    QByteArray got;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < windowMs) {
        port.waitForReadyRead(static_cast<int>(std::max<qint64>(1, windowMs - clock.elapsed())));
        got += port.readAll();
    }
    return got;
}

// Reads until `needle` has come (or timeoutMs has passed); everything read.
QByteArray readUntil(QSerialPort& port, const QByteArray& needle, int timeoutMs = 2000) {
    QByteArray got;
    QElapsedTimer clock;
    clock.start();
    while (!got.contains(needle) && clock.elapsed() < timeoutMs) {
        port.waitForReadyRead(50);
        got += port.readAll();
    }
    return got;
}

void writeLine(QSerialPort& port, const QByteArray& line) {
    port.write(line);
    ASSERT_TRUE(port.waitForBytesWritten(1000));
}

TEST(SimReceiverIntegrationTest, TransparentModeOverThePseudoTerminal) {
    SimThread sim;
    QString error;
    ASSERT_TRUE(sim.start(kInstallation, &error)) << error.toStdString();
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttyRAVIK"));
    const QString recordPath = dir.filePath(QStringLiteral("record.txt"));
    ASSERT_TRUE(sim.addPty(link, &error)) << error.toStdString();
    ASSERT_TRUE(sim.record(recordPath));

    QSerialPort port;
    port.setPortName(link);
    ASSERT_TRUE(port.open(QIODevice::ReadWrite)) << port.errorString().toStdString();

    // The key under the address and under the ID, written one right after the other as the program does.
    const QByteArray byAddress = "set encr=7," + kRawKey;
    const QByteArray byId = "set akey=44332211," + kRawKey;
    port.write(byAddress);
    port.write(byId);
    ASSERT_TRUE(port.waitForBytesWritten(1000));
    EXPECT_EQ(readUntil(port, "Key 44332211 stored\n"), QByteArray("Key 7 stored\nKey 44332211 stored\n"));

    // Transparent mode on: "Done!" first, then the telegrams at their pace.
    writeLine(port, "set trns=1");
    EXPECT_EQ(readFor(port, 60), QByteArray("Done!\n"));
    ASSERT_TRUE(sim.receiver()->transparent());

    QByteArray kept;
    QVector<QByteArray> telegrams;
    QElapsedTimer clock;
    clock.start();
    while (telegrams.size() < 5 && clock.elapsed() < 5000) {
        port.waitForReadyRead(100);
        kept += port.readAll();
        const receiver::TelegramScan scan = receiver::scanTelegrams(kept);
        telegrams += scan.telegrams;
        kept.remove(0, scan.consumed);
    }
    ASSERT_GE(telegrams.size(), 5);
    const auto key = receiver::parseHexKey(QString::fromLatin1(kKey.toHex())).value();
    QStringList ids;
    for (const QByteArray& t : telegrams) {
        const auto row = receiver::radioHeaderRow(t, {}, {});
        ASSERT_TRUE(row.has_value());
        ids.append(row->id);
        const auto decoded = receiver::decodeRelayedTelegram(t, key, {});
        EXPECT_TRUE(decoded.decoded.ok) << decoded.decoded.log.join(QLatin1Char('\n')).toStdString();
    }
    EXPECT_EQ(ids.mid(0, 4), (QStringList{QStringLiteral("12345678"), QStringLiteral("44332211"),
                                          QStringLiteral("12345678"), QStringLiteral("44332211")}));

    // Off again: "Done!" comes, and after it (and a split telegram's rest) the line goes quiet.
    writeLine(port, "set trns=0");
    EXPECT_TRUE(readUntil(port, "Done!\n").contains("Done!\n"));
    readFor(port, 100);
    EXPECT_EQ(readFor(port, 400), QByteArray());
    const auto receiver = sim.receiver();
    ASSERT_TRUE(receiver.has_value());
    EXPECT_FALSE(receiver->transparent());
    EXPECT_EQ(receiver->state().addressKeys.value(7), kRawKey);
    EXPECT_EQ(receiver->state().idKeys.value("44332211"), kRawKey);
    port.close();
    sim.stop();

    // The record shows each line once, on one line of its own, and reads back byte for byte.
    QList<QByteArray> lines = test::readFile(recordPath).split('\n');
    ASSERT_EQ(lines.takeLast(), QByteArray());
    QList<QByteArray> received;
    for (const QByteArray& recorded : lines) {
        ASSERT_TRUE(recorded.startsWith("TEXT ")) << recorded.constData();
        received.append(unescapedLine(recorded.mid(5)).value_or("?"));
    }
    EXPECT_EQ(received, (QList<QByteArray>{byAddress, byId, "set trns=1", "set trns=0"}));
    EXPECT_EQ(lines.first(), "TEXT set encr=7,\\r\\n\\x00h\\x16, set \xFF\x80\\x7F\\x1B\\\\");
}

TEST(SimReceiverIntegrationTest, SettingsLinesBehindTheAdapterAndTheGateway) {
    QString error;
    auto bus = SimInstallation::fromJson(kInstallation, &error);
    ASSERT_TRUE(bus) << error.toStdString();
    LanEndpoint lan(bus.get());
    ASSERT_TRUE(lan.listen(0));
    GatewayServerEndpoint gateway(bus.get());
    ASSERT_TRUE(gateway.listen(0));
    QTcpSocket adapter;
    adapter.connectToHost(QHostAddress::LocalHost, lan.port());
    QTcpSocket packets;
    packets.connectToHost(QHostAddress::LocalHost, gateway.port());
    ASSERT_TRUE(QTest::qWaitFor(
        [&]() {
            return adapter.state() == QAbstractSocket::ConnectedState &&
                   packets.state() == QAbstractSocket::ConnectedState;
        },
        2000));
    const auto readSocket = [](QTcpSocket& socket, int windowMs) {
        QByteArray got;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < windowMs) {
            QTest::qWait(5);
            got += socket.readAll();
        }
        return got;
    };

    // The adapter carries the lines and their answers, but never the transparent output.
    adapter.write("set bind=3," + hex("78 56 34 12 93 15 01 07"));
    EXPECT_EQ(readSocket(adapter, 150), QByteArray("Meter 3 bound: 12345678 ELS v1 d7\n"));
    adapter.write("set trns=1");
    EXPECT_EQ(readSocket(adapter, 600), QByteArray("Done!\n"));
    EXPECT_TRUE(bus->receiver()->transparent());
    EXPECT_GE(bus->receiver()->relay().telegramsWritten(), 3);
    adapter.write("set trns=0");
    EXPECT_EQ(readSocket(adapter, 150), QByteArray("Done!\n"));

    // A gateway packet's payload is the line, raw bytes and all; the answer comes back as the payload.
    codec::PacketCheckInput input;
    input.packetSequence = 2;
    packets.write(
        codec::wrapPacket("set akey=00000000," + kRawKey, codec::PacketKind::Read, {0, 0, 0, 1}, 2));
    QByteArray packet = readSocket(packets, 150);
    EXPECT_EQ(codec::checkPacket(packet, input).gatewayReply, QByteArray("Master key stored\n"));
    EXPECT_EQ(bus->receiver()->state().masterKey, kRawKey);
    bus->receiver()->setFaults({.text = {.silent = true}, .neverDone = false, .busyActivations = 0});
    input.packetSequence = 3;
    packets.write(codec::wrapPacket("get serv", codec::PacketKind::Read, {0, 0, 0, 1}, 3));
    packet = readSocket(packets, 300);
    EXPECT_EQ(codec::checkPacket(packet, input).log, QStringList{QStringLiteral("Timeout expired...")});
}

} // namespace
} // namespace holvex::sim
