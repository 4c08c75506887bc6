#include "codec/packet_codec.h"
#include "sim/frame_recorder.h"
#include "sim/gateway_server_endpoint.h"
#include "sim/lan_endpoint.h"
#include "sim/pty_endpoint.h"
#include "sim/sim_installation.h"
#include "sim/sim_thread.h"
#include "test_support.h"

#include <QFile>
#include <QHostAddress>
#include <QSerialPort>
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
    "gateway": {"network": "0.0.0.1", "timeoutMs": 150},
    "meters": [{"address": 1, "id": "12345678", "manufacturer": "ABC", "medium": "water",
                "records": [{"type": "volume", "value": 1.5}]}],
    "display": {"clock": "2026-12-08 09:30",
                "entries": [{"address": 1, "unit": "m3", "mult": 1, "div": 1000, "pulses": 1500, "stepPulses": 500,
                             "userNumber": "12", "text": "Flat 3",
                             "history": {"start": "2026-11", "values": [1.25]}},
                            {"address": 2, "active": false}]}})";

const QByteArray kEntryOne =
    "Entry 1\r\nTotal pulses: 1500\r\nUser mult/div: 1/1000\r\nInitial: 0 m3\r\nTotal: 1.5 m3";

std::unique_ptr<SimInstallation> makeBus() {
    QString error;
    auto bus = SimInstallation::fromJson(kInstallation, &error);
    EXPECT_TRUE(bus) << error.toStdString();
    return bus;
}

// What arrives on a descriptor or socket within firstMs, until the line stays quiet for 80 ms.
constexpr int kQuietMs = 80;
constexpr int kNoAnswerMs = 200;

QByteArray readFd(int fd, int firstMs = 1000) {
    QByteArray got;
    QElapsedTimer quiet;
    quiet.start();
    while (quiet.elapsed() < (got.isEmpty() ? firstMs : kQuietMs)) {
        QTest::qWait(5);
        char buffer[512];
        ssize_t n = 0;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0) {
            got.append(buffer, static_cast<qsizetype>(n));
            quiet.restart();
        }
    }
    return got;
}

QByteArray readSocket(QTcpSocket& socket, int firstMs = 1000) {
    QByteArray got;
    QElapsedTimer quiet;
    quiet.start();
    while (quiet.elapsed() < (got.isEmpty() ? firstMs : kQuietMs)) {
        QTest::qWait(5);
        if (socket.bytesAvailable() > 0) {
            got += socket.readAll();
            quiet.restart();
        }
    }
    return got;
}

TEST(SimTextDevicesIntegrationTest, SerialLineServesTheDisplayAndTheServicePortAndRecordsTheLines) {
    auto bus = makeBus();
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttySIM2"));
    const QString recordPath = dir.filePath(QStringLiteral("record.txt"));
    FrameRecorder recorder;
    ASSERT_TRUE(recorder.open(recordPath));
    recorder.attach(bus.get());
    PtyEndpoint pty(bus.get());
    ASSERT_TRUE(pty.open(link)) << pty.errorString().toStdString();
    const int fd = ::open(QFile::encodeName(link).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios raw{};
    ::tcgetattr(fd, &raw);
    cfmakeraw(&raw);
    ::tcsetattr(fd, TCSANOW, &raw);

    const struct Row {
        QByteArray sent;
        QByteArray answer;
    } rows[] = {
        {"GET ENTR=1,1", kEntryOne},
        {"SET ENTR=2", "Entry 2: Active"},
        {"SET ENTR=2", "Entry 2: Already active"},
        {"SET PITO=07", "Ping server timeout: 07"}, // only the gateway knows it
        {"SET NETN=0.0.0.9", "Network number: 0.0.0.9"},
        {"GET MAIN", "Lumet-R7 display / data logger"}, // both know it: the display by default
        {hex("10 7B 01 7C 16"), bus->meterByAddress(1)->config().telegrams.first()},
        {"set wmod=1", {}}, // nobody here takes it
        {"SET TEXT=2,a\\b", "Entry 2: text stored"},
    };
    for (const Row& row : rows) {
        ASSERT_EQ(::write(fd, row.sent.constData(), static_cast<size_t>(row.sent.size())), row.sent.size());
        const QByteArray got = readFd(fd, row.answer.isEmpty() ? kNoAnswerMs : 1000);
        if (row.answer.startsWith("Lumet")) {
            EXPECT_TRUE(got.startsWith(row.answer)) << got.constData();
        } else {
            EXPECT_EQ(got, row.answer) << row.sent.constData();
        }
    }
    ::close(fd);
    EXPECT_EQ(bus->gatewayService().setting("PITO"), QByteArray("07"));
    EXPECT_EQ(bus->config().gateway.network, (codec::NetworkNumber{0, 0, 0, 9}));
    EXPECT_TRUE(bus->display()->entry(2).active);
    EXPECT_EQ(test::readFile(recordPath), QByteArray("TEXT GET ENTR=1,1\n"
                                                     "TEXT SET ENTR=2\n"
                                                     "TEXT SET ENTR=2\n"
                                                     "TEXT SET PITO=07\n"
                                                     "TEXT SET NETN=0.0.0.9\n"
                                                     "TEXT GET MAIN\n"
                                                     "10 7B 01 7C 16\n"
                                                     "TEXT set wmod=1\n"
                                                     "TEXT SET TEXT=2,a\\\\b\n"));
}

TEST(SimTextDevicesIntegrationTest, LanAdapterServesTheDisplayOnlyAndItsFaults) {
    auto bus = makeBus();
    LanEndpoint lan(bus.get());
    ASSERT_TRUE(lan.listen(0));
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, lan.port());
    ASSERT_TRUE(QTest::qWaitFor([&]() { return socket.state() == QAbstractSocket::ConnectedState; }, 2000));

    socket.write("GET ADDR");
    EXPECT_EQ(readSocket(socket), QByteArray("Active devices: 1"));
    socket.write("SET PITO=07"); // the service port is not on this road
    EXPECT_EQ(readSocket(socket, kNoAnswerMs), QByteArray());
    socket.write("GET HIST=1,1");
    EXPECT_EQ(readSocket(socket), QByteArray("Entry 1 record 1\r\nHist values: 1.25\r\nDate: 30/Nov/26"));

    // Quiet for the next two lines, which it does not carry out; answered in two pieces after that.
    bus->display()->setFaults({.answerAfter = bus->display()->linesSeen() + 2, .pieces = 2, .gapMs = 30});
    for (int i = 0; i < 2; ++i) {
        socket.write("SET READ");
        EXPECT_EQ(readSocket(socket, kNoAnswerMs), QByteArray());
    }
    EXPECT_EQ(bus->display()->readingsUpdated(), 0);
    socket.write("SET READ");
    EXPECT_EQ(readSocket(socket), QByteArray("Readings updated"));
    EXPECT_EQ(bus->display()->entry(1).pulses, 2000);
}

codec::PacketCheckResult answerOf(QTcpSocket& socket) {
    const QByteArray packet = readSocket(socket);
    EXPECT_EQ(packet.size(), codec::kPacketSize);
    codec::PacketCheckInput input;
    input.packetSequence = 2;
    return codec::checkPacket(packet, input);
}

TEST(SimTextDevicesIntegrationTest, GatewayPacketsCarryLinesAndAnswers) {
    auto bus = makeBus();
    GatewayServerEndpoint gateway(bus.get());
    ASSERT_TRUE(gateway.listen(0));
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, gateway.port());
    ASSERT_TRUE(QTest::qWaitFor([&]() { return socket.state() == QAbstractSocket::ConnectedState; }, 2000));
    const codec::NetworkNumber network{0, 0, 0, 1};

    socket.write(codec::wrapPacket("GET ENTR=1,1", codec::PacketKind::Read, network, 2));
    auto result = answerOf(socket);
    EXPECT_TRUE(result.wellFormed);
    EXPECT_EQ(result.gatewayReply, kEntryOne);
    EXPECT_EQ(result.log, QStringList{QStringLiteral("Done!")});

    socket.write(codec::wrapPacket("SET UNIT=1,1", codec::PacketKind::Read, network, 3));
    EXPECT_EQ(answerOf(socket).gatewayReply, QByteArray("Entry 1: unit kWh"));
    EXPECT_EQ(bus->display()->entry(1).unitCode, 1);

    // The service port is not behind the gateway; a silent display makes the gateway give up.
    socket.write(codec::wrapPacket("SET PITO=07", codec::PacketKind::Read, network, 4));
    EXPECT_EQ(answerOf(socket).log, QStringList{QStringLiteral("Timeout expired...")});
    bus->display()->setFaults({.silent = true});
    socket.write(codec::wrapPacket("GET ADDR", codec::PacketKind::Read, network, 5));
    EXPECT_EQ(answerOf(socket).log, QStringList{QStringLiteral("Timeout expired...")});
}

TEST(SimTextDevicesIntegrationTest, SimThreadHandsOutCopiesOfTheDevices) {
    SimThread sim;
    QString error;
    ASSERT_TRUE(sim.start(kInstallation, &error)) << error.toStdString();
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttySIM3"));
    ASSERT_TRUE(sim.addPty(link, &error)) << error.toStdString();

    // The serial port as the program uses it: one write per line, the answer read after a wait.
    QSerialPort serial;
    serial.setPortName(link);
    ASSERT_TRUE(serial.open(QIODevice::ReadWrite)) << serial.errorString().toStdString();
    for (const char* line : {"SET ENTR=2", "SET NUMB=2,77", "SET RETN=05"}) {
        serial.write(line);
        ASSERT_TRUE(serial.waitForBytesWritten(1000));
        ASSERT_TRUE(serial.waitForReadyRead(1000)) << line;
        QTest::qWait(50);
        serial.readAll();
    }
    serial.close();
    const auto display = sim.display();
    ASSERT_TRUE(display.has_value());
    EXPECT_EQ(display->entry(2).userNumber, QByteArray("77"));
    EXPECT_EQ(sim.gatewayService()->setting("RETN"), QByteArray("05"));
    sim.stop();
    EXPECT_FALSE(sim.display().has_value());
}

} // namespace
} // namespace holvex::sim
