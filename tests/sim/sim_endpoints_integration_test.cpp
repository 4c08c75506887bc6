#include "codec/frame_codec.h"
#include "codec/packet_codec.h"
#include "sim/frame_recorder.h"
#include "sim/gateway_call_endpoint.h"
#include "sim/gateway_server_endpoint.h"
#include "sim/lan_endpoint.h"
#include "sim/pty_endpoint.h"
#include "sim/sim_installation.h"
#include "sim/sim_thread.h"
#include "test_support.h"

#include <QFileInfo>
#include <QHostAddress>
#include <QSerialPort>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <memory>

namespace holvex::sim {
namespace {

using test::hex;

constexpr char kInstallation[] = R"({
    "turnaroundMs": 1,
    "gateway": {"network": "0.0.0.1", "timeoutMs": 60},
    "meters": [
        {"address": 1, "id": "12345678", "manufacturer": "ABC", "medium": "water",
         "records": [{"type": "volume", "value": 1.5}]},
        {"address": 2, "id": "22222222", "manufacturer": "ABC", "medium": "heat",
         "records": [{"type": "energy", "value": 42}], "faults": {"pieces": 3, "gapMs": 5}},
        {"address": 3, "id": "33333333", "manufacturer": "ABC", "faults": {"silent": true}},
        {"address": 4, "id": "44444444", "manufacturer": "ABC",
         "records": [{"type": "energy", "value": 4}], "faults": {"lateMs": 100}}
    ]})";

const codec::NetworkNumber kNetwork{0, 0, 0, 1};

std::unique_ptr<SimInstallation> makeBus() {
    QString error;
    auto bus = SimInstallation::fromJson(kInstallation, &error);
    EXPECT_TRUE(bus) << error.toStdString();
    return bus;
}

QByteArray telegramOf(SimInstallation& bus, int address) {
    return bus.meterByAddress(address)->config().telegrams.first();
}

QByteArray readUntil(QTcpSocket& socket, int count, int timeoutMs = 2000) {
    QByteArray got;
    (void)QTest::qWaitFor(
        [&]() {
            got += socket.readAll();
            return got.size() >= count;
        },
        timeoutMs);
    return got;
}

QByteArray readFdUntil(int fd, int count, int timeoutMs = 2000) {
    QByteArray got;
    (void)QTest::qWaitFor(
        [&]() {
            char buffer[512];
            ssize_t n = 0;
            while ((n = ::read(fd, buffer, sizeof buffer)) > 0) {
                got.append(buffer, static_cast<qsizetype>(n));
            }
            return got.size() >= count;
        },
        timeoutMs);
    return got;
}

TEST(SimEndpointsIntegrationTest, PtyAnswersReadRequestsAndRecordsThem) {
    auto bus = makeBus();
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttySIM0"));
    const QString recordPath = dir.filePath(QStringLiteral("frames.txt"));
    FrameRecorder recorder;
    ASSERT_TRUE(recorder.open(recordPath));
    recorder.attach(bus.get());
    PtyEndpoint pty(bus.get());
    ASSERT_TRUE(pty.open(link)) << pty.errorString().toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());

    const int fd = ::open(QFile::encodeName(link).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios raw{};
    ::tcgetattr(fd, &raw);
    cfmakeraw(&raw);
    ::tcsetattr(fd, TCSANOW, &raw);

    const QByteArray one = telegramOf(*bus, 1);
    ASSERT_EQ(::write(fd, "\x10\x7B\x01\x7C\x16", 5), 5);
    EXPECT_EQ(readFdUntil(fd, static_cast<int>(one.size())), one);

    // A frame written in two parts after some noise, answered in three pieces, arrives whole.
    const QByteArray two = telegramOf(*bus, 2);
    ASSERT_EQ(::write(fd, "\xFF\x00\x10\x7B", 4), 4);
    QTest::qWait(10);
    ASSERT_EQ(::write(fd, "\x02\x7D\x16", 3), 3);
    EXPECT_EQ(readFdUntil(fd, static_cast<int>(two.size())), two);

    // SND_NKE is acknowledged; 255 and a silent meter say nothing.
    ASSERT_EQ(::write(fd, "\x10\x40\xFF\x3F\x16\x10\x7B\x03\x7E\x16\x10\x40\x01\x41\x16", 15), 15);
    EXPECT_EQ(readFdUntil(fd, 1), hex("E5"));
    EXPECT_EQ(readFdUntil(fd, 1, 50), QByteArray());
    ::close(fd);

    EXPECT_EQ(test::readFile(recordPath),
              QByteArray("10 7B 01 7C 16\n10 7B 02 7D 16\n10 40 FF 3F 16\n10 7B 03 7E 16\n10 40 01 41 16\n"));
    pty.close();
    EXPECT_FALSE(QFileInfo::exists(link));
    EXPECT_FALSE(QFileInfo(link).isSymLink());
}

TEST(SimEndpointsIntegrationTest, PtyRefusesToReplaceAFile) {
    auto bus = makeBus();
    QTemporaryDir dir;
    const QString path = test::writeFile(dir, QStringLiteral("ttyTaken"), "keep");
    PtyEndpoint pty(bus.get());
    EXPECT_FALSE(pty.open(path));
    EXPECT_EQ(test::readFile(path), QByteArray("keep"));
}

TEST(SimEndpointsIntegrationTest, LanAdapterCarriesRawFrames) {
    auto bus = makeBus();
    LanEndpoint lan(bus.get());
    ASSERT_TRUE(lan.listen(0)) << lan.errorString().toStdString();
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, lan.port());
    ASSERT_TRUE(QTest::qWaitFor([&]() { return socket.state() == QAbstractSocket::ConnectedState; }, 2000));

    const QByteArray one = telegramOf(*bus, 1);
    socket.write(hex("10 5B 01 5C 16"));
    EXPECT_EQ(readUntil(socket, static_cast<int>(one.size())), one);

    socket.write(hex("10 40 FE 3E 16"));
    EXPECT_EQ(readUntil(socket, 3), hex("E5 E5 E5")); // the three speaking meters, one after the other
    socket.write(hex("10 7B 01 7D 16"));              // bad checksum: ignored
    EXPECT_EQ(readUntil(socket, 1, 50), QByteArray());
}

QByteArray request(const char* frame, codec::PacketKind kind, int sequence,
                   const codec::NetworkNumber& network = kNetwork) {
    return codec::wrapPacket(hex(frame), kind, network, sequence);
}

codec::PacketCheckResult answerOf(QTcpSocket& socket) {
    const QByteArray packet = readUntil(socket, codec::kPacketSize);
    EXPECT_EQ(packet.size(), codec::kPacketSize);
    codec::PacketCheckInput input;
    input.packetSequence = 2;
    return codec::checkPacket(packet, input);
}

TEST(SimEndpointsIntegrationTest, GatewayServerAnswersAPacketSentInThreePieces) {
    auto bus = makeBus();
    GatewayServerEndpoint gateway(bus.get());
    ASSERT_TRUE(gateway.listen(0)) << gateway.errorString().toStdString();
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, gateway.port());
    ASSERT_TRUE(QTest::qWaitFor([&]() { return socket.state() == QAbstractSocket::ConnectedState; }, 2000));

    const QByteArray packet = request("10 7B 02 7D 16", codec::PacketKind::Read, 1);
    for (int i = 0; i < 3; ++i) {
        socket.write(packet.mid(i * 100, 100));
        socket.flush();
        QTest::qWait(15);
    }
    const auto result = answerOf(socket);
    EXPECT_TRUE(result.wellFormed);
    EXPECT_EQ(result.gatewayReply, telegramOf(*bus, 2));
    EXPECT_EQ(result.log, QStringList{QStringLiteral("Done!")});
}

TEST(SimEndpointsIntegrationTest, GatewayServerAnswersAcknowledgementsTimeoutsAndBadPackets) {
    auto bus = makeBus();
    GatewayServerEndpoint gateway(bus.get());
    ASSERT_TRUE(gateway.listen(0));
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, gateway.port());
    ASSERT_TRUE(QTest::qWaitFor([&]() { return socket.state() == QAbstractSocket::ConnectedState; }, 2000));

    struct Row {
        const char* name;
        QByteArray packet;
        QByteArray reply;
        QStringList log;
    } rows[] = {
        {"SND_NKE confirmed by status",
         request("10 40 01 41 16", codec::PacketKind::Command, 2),
         {},
         {QStringLiteral("Done!")}},
        {"selection in a read packet gives the 0xE5 as data",
         request("68 0B 0B 68 53 FD 52 78 56 34 12 FF FF FF FF B2 16", codec::PacketKind::Read, 3),
         hex("E5"),
         {QStringLiteral("Done!")}},
        {"silent meter: timeout",
         request("10 7B 03 7E 16", codec::PacketKind::Read, 4),
         {},
         {QStringLiteral("Timeout expired...")}},
        {"meter later than the gateway waits: timeout",
         request("10 7B 04 7F 16", codec::PacketKind::Read, 5),
         {},
         {QStringLiteral("Timeout expired...")}},
        {"another network",
         request("10 7B 01 7C 16", codec::PacketKind::Read, 5, {0, 0, 0, 9}),
         {},
         {QStringLiteral("Bad network number...")}},
    };
    for (const Row& row : rows) {
        socket.write(row.packet);
        const auto result = answerOf(socket);
        EXPECT_TRUE(result.wellFormed) << row.name;
        EXPECT_EQ(result.gatewayReply, row.reply) << row.name;
        EXPECT_EQ(result.log, row.log) << row.name;
    }
}

TEST(SimEndpointsIntegrationTest, CallingGatewayIdentifiesItselfAndCallsAgain) {
    auto bus = makeBus();
    GatewayOptions options = bus->config().gateway;
    options.network = {0, 0, 0, 7};
    bus->setGatewayOptions(options);
    QTcpServer program;
    ASSERT_TRUE(program.listen(QHostAddress::LocalHost, 0));
    GatewayCallEndpoint gateway(bus.get());
    gateway.setBackoff(20, 100);
    gateway.start(QStringLiteral("127.0.0.1"), program.serverPort());

    ASSERT_TRUE(QTest::qWaitFor([&]() { return program.hasPendingConnections(); }, 2000));
    std::unique_ptr<QTcpSocket> peer(program.nextPendingConnection());
    codec::PacketCheckInput first; // nothing sent yet on this connection
    const auto identification = codec::checkPacket(readUntil(*peer, codec::kPacketSize), first);
    EXPECT_TRUE(identification.wellFormed);
    EXPECT_TRUE(identification.identification);
    EXPECT_EQ(identification.networkText, QStringLiteral("0.0.0.7"));

    peer->write(request("10 7B 01 7C 16", codec::PacketKind::Read, 1, {0, 0, 0, 7}));
    const auto answer = answerOf(*peer);
    EXPECT_EQ(answer.gatewayReply, telegramOf(*bus, 1));

    // The program drops the connection: the gateway calls again and identifies itself anew.
    peer->disconnectFromHost();
    ASSERT_TRUE(QTest::qWaitFor([&]() { return program.hasPendingConnections(); }, 2000));
    peer.reset(program.nextPendingConnection());
    EXPECT_TRUE(codec::checkPacket(readUntil(*peer, codec::kPacketSize), first).identification);
    EXPECT_EQ(gateway.callCount(), 2);
}

TEST(SimEndpointsIntegrationTest, CallingGatewayKeepsTryingUntilTheProgramListens) {
    auto bus = makeBus();
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 port = probe.serverPort();
    probe.close(); // nobody listens there for now
    GatewayCallEndpoint gateway(bus.get());
    gateway.setBackoff(10, 20);
    gateway.start(QStringLiteral("127.0.0.1"), port);
    QTest::qWait(80);
    EXPECT_GE(gateway.callCount(), 2);

    QTcpServer program;
    ASSERT_TRUE(program.listen(QHostAddress::LocalHost, port));
    EXPECT_TRUE(QTest::qWaitFor([&]() { return program.hasPendingConnections(); }, 2000));
    gateway.stop();
}

// Blocking reads on the test's thread: the simulator must run on a thread of its own.
QByteArray blockingRead(QIODevice& device, int count) {
    QByteArray got;
    while (got.size() < count && device.waitForReadyRead(1000)) {
        got += device.readAll();
    }
    return got;
}

TEST(SimEndpointsIntegrationTest, SimThreadServesClientsThatBlock) {
    SimThread sim;
    QString error;
    ASSERT_TRUE(sim.start(kInstallation, &error)) << error.toStdString();
    const auto port = sim.addLan(0);
    ASSERT_TRUE(port.has_value());
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttySIM1"));
    ASSERT_TRUE(sim.addPty(link, &error)) << error.toStdString();
    ASSERT_TRUE(sim.record(dir.filePath(QStringLiteral("frames.txt"))));
    QByteArray one;
    sim.with([&one](SimInstallation& bus) { one = bus.meterByAddress(1)->config().telegrams.first(); });

    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, *port);
    ASSERT_TRUE(socket.waitForConnected(2000));
    socket.write(hex("10 7B 01 7C 16"));
    ASSERT_TRUE(socket.waitForBytesWritten(1000));
    EXPECT_EQ(blockingRead(socket, static_cast<int>(one.size())), one);

    // The serial port as the program opens it: line settings first, then open.
    QSerialPort serial;
    serial.setPortName(link);
    serial.setBaudRate(QSerialPort::Baud2400);
    serial.setParity(QSerialPort::EvenParity);
    ASSERT_TRUE(serial.open(QIODevice::ReadWrite)) << serial.errorString().toStdString();
    serial.write(hex("10 7B 01 7C 16"));
    ASSERT_TRUE(serial.waitForBytesWritten(1000));
    EXPECT_EQ(blockingRead(serial, static_cast<int>(one.size())), one);

    sim.with([](SimInstallation& bus) { bus.meterByAddress(1)->setFaults({.silent = true}); });
    serial.write(hex("10 7B 01 7C 16"));
    ASSERT_TRUE(serial.waitForBytesWritten(1000));
    EXPECT_FALSE(serial.waitForReadyRead(100));
    serial.close();
    sim.stop();
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_EQ(test::readFile(dir.filePath(QStringLiteral("frames.txt"))).count('\n'), 3);
}

} // namespace
} // namespace holvex::sim
