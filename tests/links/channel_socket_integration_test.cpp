#include "links/channel.h"

#include "bus/run_state.h"
#include "channel_test_helpers.h"
#include "codec/frame_codec.h"
#include "codec/packet_codec.h"
#include "lang/message_language.h"
#include "settings/settings.h"
#include "test_support.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

using namespace holvex;
using namespace holvex::codec;
using namespace holvex::links;
using test::spinUntil;

namespace {

const QByteArray kReadRequest = shortFrame(control::kReqUd2, 5);

class ChannelSocketTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings.EthTimeout = 20; // 200 ms
        settings.RemoteIp = QStringLiteral("127.0.0.1");
    }

    test::RoadsBench bench;
    Settings& settings = bench.settings;
    RunState& state = bench.state;
    test::CollectingLog& log = bench.log;
    MessageLanguage& language = bench.language;
    Channel& channel = bench.channel;
    RoadLinks& roads = bench.roads;
};

// Writes a packet in pieces, letting the channel take each piece into its envelope before the next is sent.
void sendInPieces(QTcpSocket& socket, const QByteArray& bytes, int pieceSize, const int& envelopeCount) {
    for (int offset = 0; offset < bytes.size(); offset += pieceSize) {
        socket.write(bytes.mid(offset, pieceSize));
        socket.flush();
        const int gathered = offset + pieceSize;
        if (gathered < bytes.size()) {
            ASSERT_TRUE(spinUntil([&] { return envelopeCount == gathered; }, 2000));
        }
    }
}

TEST_F(ChannelSocketTest, LanAdapterCarriesFramesUnchangedAndGathersTheReply) {
    QTcpServer adapter;
    ASSERT_TRUE(adapter.listen(QHostAddress::LocalHost, 0));
    QTcpSocket* far = nullptr;
    QObject::connect(&adapter, &QTcpServer::newConnection, [&] { far = adapter.nextPendingConnection(); });
    settings.UseLanXp = true;
    settings.RemotePort = QString::number(adapter.serverPort());

    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(channel.openChannel());
    // The wait lasts its whole time even though the connection comes up at once.
    EXPECT_GE(clock.elapsed(), 190);
    EXPECT_TRUE(log.has(QStringLiteral("Trying to connect to Lumet-R7 ethernet...")));
    EXPECT_TRUE(log.hasPrefix(QStringLiteral("Connected TCP/IP, at ")));
    ASSERT_NE(far, nullptr);

    state.RawReply = QByteArrayLiteral("old");
    channel.sendFrame(kReadRequest, PacketKind::Read, OperationWords::read(5));
    EXPECT_TRUE(state.RawReply.isEmpty());
    ASSERT_TRUE(spinUntil([&] { return far->bytesAvailable() >= kReadRequest.size(); }));
    EXPECT_EQ(far->readAll(), kReadRequest);

    const QByteArray answer = test::hex("68 03 03 68 08 05 72 7F 16");
    far->write(answer.left(4));
    far->flush();
    ASSERT_TRUE(spinUntil([&] { return state.RawReply.size() == 4; }));
    far->write(answer.mid(4));
    far->flush();
    ASSERT_TRUE(spinUntil([&] { return state.RawReply.size() == answer.size(); }));
    EXPECT_EQ(channel.readReply(ReplyTimer::FreeCommand).bytes, answer);

    // The adapter ends the connection itself: the operator reads why and that it is gone.
    far->close();
    ASSERT_TRUE(spinUntil([&] { return !state.XPortConnected; }));
    EXPECT_TRUE(log.has(QStringLiteral("Socket error #1 (The remote host closed the connection)")))
        << log.lines.join('|').toStdString();
    EXPECT_TRUE(log.hasPrefix(QStringLiteral("Disconnected TCP/IP connection at ")));
    channel.closeChannel();
    EXPECT_FALSE(state.XPortConnected);
}

TEST_F(ChannelSocketTest, RefusedLanAdapterLeavesTheChannelNotReady) {
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 unusedPort = probe.serverPort();
    probe.close();
    settings.UseLanXp = true;
    settings.RemotePort = QString::number(unusedPort);
    EXPECT_FALSE(channel.openChannel());
    // The error's number and its text.
    EXPECT_TRUE(log.has(QStringLiteral("Socket error #0 (Connection refused)")))
        << log.lines.join('|').toStdString();
}

class GatewayCallingInTest : public ChannelSocketTest {
protected:
    void SetUp() override {
        ChannelSocketTest::SetUp();
        settings.UseEthernet = true;
        settings.KeepAlive = false;
        settings.ListenPort = QStringLiteral("0");
        roads.toggleServerSocket(settings.ListenPort);
        ASSERT_TRUE(state.ServerListening);
        ASSERT_TRUE(log.has(QStringLiteral("Socket is opened at port 0")));
    }

    // A gateway calls in and sends its identification packet in three pieces of 100 bytes.
    void callIn(QTcpSocket& gateway) {
        gateway.connectToHost(QHostAddress::LocalHost, roads.listeningPort());
        ASSERT_TRUE(spinUntil([&] { return state.GatewayCalledIn; }));
        const QByteArray identification = test::answerPacket(QByteArray());
        sendInPieces(gateway, identification, 100, state.EnvelopeCount);
        ASSERT_TRUE(spinUntil([&] { return state.PacketArrived; }));
        state.PacketArrived = false;
    }

    QByteArray receivePacket(QTcpSocket& gateway) {
        if (!spinUntil([&] { return gateway.bytesAvailable() >= kPacketSize; })) {
            return {};
        }
        return gateway.read(kPacketSize);
    }

    QTimer& idleTimer = bench.idleTimer;
    QTimer& keepAliveTimer = bench.keepAliveTimer;
};

TEST_F(GatewayCallingInTest, PacketInThreePiecesIsCheckedOnceAfterTheThird) {
    settings.AutoMbus = true;
    QSignalSpy accepted(&roads, &RoadLinks::peerAccepted);
    QSignalSpy automatic(&roads, &RoadLinks::automaticActionRequested);
    QTcpSocket gateway;
    gateway.connectToHost(QHostAddress::LocalHost, roads.listeningPort());
    ASSERT_TRUE(spinUntil([&] { return state.GatewayCalledIn; }));
    EXPECT_EQ(accepted.count(), 1);
    EXPECT_TRUE(log.has(QStringLiteral("Incoming request...")));
    EXPECT_TRUE(log.has(QStringLiteral("Connected to 127.0.0.1, 127.0.0.1, port No ") +
                        QString::number(gateway.localPort())));
    EXPECT_EQ(roads.peerAddress(), QStringLiteral("127.0.0.1"));
    EXPECT_TRUE(idleTimer.isActive());
    EXPECT_EQ(idleTimer.interval(), 600000);

    const QByteArray identification = test::answerPacket(QByteArray(), 0, {10, 1, 2, 3});
    gateway.write(identification.left(100));
    gateway.flush();
    ASSERT_TRUE(spinUntil([&] { return state.EnvelopeCount == 100; }));
    gateway.write(identification.mid(100, 100));
    gateway.flush();
    ASSERT_TRUE(spinUntil([&] { return state.EnvelopeCount == 200; }));
    EXPECT_FALSE(state.PacketArrived);
    EXPECT_FALSE(log.hasPrefix(QStringLiteral("Packet: ")));
    gateway.write(identification.mid(200));
    gateway.flush();
    ASSERT_TRUE(spinUntil([&] { return state.PacketArrived; }));
    EXPECT_EQ(state.EnvelopeCount, 0);
    EXPECT_TRUE(log.has(QStringLiteral("Connected Ferrin Network number: 10.1.2.3")));
    EXPECT_TRUE(log.has(QStringLiteral("Packet: ") + spacedHex(identification)));
    EXPECT_EQ(state.NetworkNumber, (NetworkNumber{10, 1, 2, 3}));
    ASSERT_EQ(automatic.count(), 1);
    EXPECT_EQ(automatic.at(0).at(0).value<AutomaticAction>(), AutomaticAction::PrimaryScan);

    // A read request goes out wrapped, and the answer's payload becomes the reply.
    state.PacketArrived = false;
    ASSERT_TRUE(channel.openChannel());
    channel.sendFrame(kReadRequest, PacketKind::Read, OperationWords::read(5));
    EXPECT_EQ(receivePacket(gateway),
              wrapPacket(kReadRequest, PacketKind::Read, NetworkNumber{10, 1, 2, 3}, 1));
    EXPECT_EQ(state.PacketSequence, 2);
    const QByteArray telegram = test::hex("68 03 03 68 08 05 72 7F 16");
    const QByteArray answer = test::answerPacket(telegram, 0, {10, 1, 2, 3});
    sendInPieces(gateway, answer, 100, state.EnvelopeCount);
    ASSERT_TRUE(spinUntil([&] { return state.PacketArrived; }));
    EXPECT_TRUE(log.has(QStringLiteral("Done!")));
    const ReplyRead reply = channel.readReply(ReplyTimer::Respond);
    EXPECT_EQ(reply.bytes, telegram);
    EXPECT_EQ(automatic.count(), 1) << "only the first packet of a connection starts an action";
}

TEST_F(GatewayCallingInTest, ThreeHundredAndOneBytesAreReportedAndDiscarded) {
    QTcpSocket gateway;
    callIn(gateway);
    state.GatewayReply = QByteArrayLiteral("old");
    gateway.write(QByteArray(200, '\x01'));
    gateway.flush();
    ASSERT_TRUE(spinUntil([&] { return state.EnvelopeCount == 200; }));
    gateway.write(QByteArray(101, '\x02'));
    gateway.flush();
    ASSERT_TRUE(spinUntil([&] { return state.PacketArrived; }));
    EXPECT_TRUE(log.has(QStringLiteral("Wrong byte count in the telegram, 301")));
    EXPECT_EQ(state.EnvelopeCount, 0);
    EXPECT_TRUE(state.GatewayReply.isEmpty());
    EXPECT_EQ(state.ReloadCount, 0);
}

TEST_F(GatewayCallingInTest, SecondGatewayIsClosedAtOnce) {
    QTcpSocket first;
    callIn(first);
    QTcpSocket second;
    second.connectToHost(QHostAddress::LocalHost, roads.listeningPort());
    ASSERT_TRUE(spinUntil([&] { return log.hasPrefix(QStringLiteral("Incoming connection ignored at ")); }));
    ASSERT_TRUE(spinUntil([&] { return second.state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_TRUE(state.GatewayCalledIn);

    // The first gateway is still the one spoken to.
    channel.sendFrame(kReadRequest, PacketKind::Read, OperationWords::read(5));
    EXPECT_EQ(receivePacket(first).size(), kPacketSize);

    first.disconnectFromHost();
    ASSERT_TRUE(spinUntil([&] { return !state.GatewayCalledIn; }));
    EXPECT_TRUE(log.hasPrefix(QStringLiteral("Connection to 127.0.0.1 closed by client at ")));
}

TEST_F(GatewayCallingInTest, KeepAlivePingsAfterTheFirstPacket) {
    settings.KeepAlive = true;
    QTcpSocket gateway;
    callIn(gateway);
    ASSERT_TRUE(keepAliveTimer.isActive());
    EXPECT_EQ(keepAliveTimer.interval(), 10000);
    keepAliveTimer.setInterval(10); // not wait ten seconds
    const QByteArray ping = receivePacket(gateway);
    EXPECT_EQ(ping, wrapPacket(test::hex("10 40 F9 39 16"), PacketKind::Command, state.NetworkNumber, 1));
    EXPECT_TRUE(log.hasPrefix(QStringLiteral("Ping on ")));
    channel.stopKeepAlive();
    EXPECT_FALSE(keepAliveTimer.isActive());
}

TEST_F(GatewayCallingInTest, QuietConnectionIsDroppedAndTheSocketReopened) {
    QTcpSocket gateway;
    callIn(gateway);
    ASSERT_TRUE(idleTimer.isActive());
    idleTimer.setInterval(10); // not wait ten minutes
    ASSERT_TRUE(spinUntil([&] { return gateway.state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_TRUE(state.ServerListening);
    EXPECT_FALSE(state.GatewayCalledIn);
    EXPECT_FALSE(idleTimer.isActive());
}

TEST_F(GatewayCallingInTest, ToggleClosesAndApplyLeavesItForTheNextActivation) {
    roads.toggleServerSocket(settings.ListenPort);
    EXPECT_FALSE(state.ServerListening);
    EXPECT_TRUE(log.has(QStringLiteral("Socket closed")));
    channel.prepare();
    EXPECT_TRUE(state.ServerListening);
    roads.settingsApplied();
    EXPECT_FALSE(state.ServerListening);
    EXPECT_EQ(roads.listeningPort(), 0);
    log.lines.clear();
    roads.toggleServerSocket(QString());
    EXPECT_EQ(log.lines, QStringList{QStringLiteral("Socket port is not defined in Settings...")});
}

TEST_F(GatewayCallingInTest, GatewayOfAnotherNetworkIsDroppedAndTheSocketListensAgain) {
    settings.AcceptOnlyNetwork = true;
    settings.AcceptedNetwork = QStringLiteral("0.0.0.9");
    settings.AutoMbus = true;
    QSignalSpy automatic(&roads, &RoadLinks::automaticActionRequested);
    QTcpSocket gateway;
    gateway.connectToHost(QHostAddress::LocalHost, roads.listeningPort());
    ASSERT_TRUE(spinUntil([&] { return state.GatewayCalledIn; }));
    state.PacketSequence = 4;
    gateway.write(test::answerPacket(QByteArray(), 0, {10, 1, 2, 3}));
    gateway.flush();
    ASSERT_TRUE(spinUntil([&] { return gateway.state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_TRUE(log.has(QStringLiteral("Disconnected 10.1.2.3")));
    EXPECT_TRUE(log.has(QStringLiteral("Listening...")));
    EXPECT_TRUE(state.ServerListening);
    EXPECT_FALSE(state.GatewayCalledIn);
    EXPECT_EQ(state.PacketSequence, 1);
    EXPECT_EQ(automatic.count(), 0);
}

TEST_F(GatewayCallingInTest, WirelessAdapterTakesReadRequestsUnchanged) {
    settings.UseNerit1 = true;
    QTcpSocket adapter;
    adapter.connectToHost(QHostAddress::LocalHost, roads.listeningPort());
    ASSERT_TRUE(spinUntil([&] { return state.GatewayCalledIn; }));
    state.RawReply = QByteArrayLiteral("old");
    channel.sendFrame(kReadRequest, PacketKind::Read, OperationWords::read(5));
    EXPECT_TRUE(state.RawReply.isEmpty());
    ASSERT_TRUE(spinUntil([&] { return adapter.bytesAvailable() >= kReadRequest.size(); }));
    EXPECT_EQ(adapter.readAll(), kReadRequest);
    adapter.write(test::hex("E5"));
    adapter.flush();
    ASSERT_TRUE(spinUntil([&] { return !state.RawReply.isEmpty(); }));
    EXPECT_EQ(channel.readReply(ReplyTimer::ReadAll).bytes, test::hex("E5"));
    // Other frames still travel wrapped.
    channel.sendFrame(shortFrame(control::kSndNke, 5), PacketKind::Command, OperationWords::sndNke(5));
    EXPECT_EQ(receivePacket(adapter).size(), kPacketSize);
}

TEST_F(ChannelSocketTest, GatewayServerVersionAnswersPackets) {
    QTcpServer gatewayServer;
    ASSERT_TRUE(gatewayServer.listen(QHostAddress::LocalHost, 0));
    std::unique_ptr<QTcpSocket> far;
    QByteArray received;
    const QByteArray telegram = test::hex("68 03 03 68 08 05 72 7F 16");
    QObject::connect(&gatewayServer, &QTcpServer::newConnection, [&] {
        far.reset(gatewayServer.nextPendingConnection());
        QObject::connect(far.get(), &QTcpSocket::readyRead, [&] {
            received.append(far->readAll());
            if (received.size() >= kPacketSize) {
                // The answer comes back in two pieces.
                const QByteArray answer = test::answerPacket(telegram, 0, {0, 0, 0, 7});
                far->write(answer.left(150));
                far->flush();
                QTimer::singleShot(20, far.get(), [&, answer] { far->write(answer.mid(150)); });
            }
        });
    });
    settings.UseFerrinServ = true;
    settings.CloseTcp = true;
    settings.EthTimeout = 100; // 1 s at most; the wait ends when connected
    settings.RemotePort = QString::number(gatewayServer.serverPort());
    settings.NetNumber = QStringLiteral("0.0.0.7");

    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(channel.openChannel());
    EXPECT_LT(clock.elapsed(), 900);
    EXPECT_TRUE(log.has(QStringLiteral("Trying to connect to Ferrin-2 server...")));
    EXPECT_TRUE(log.hasPrefix(QStringLiteral("Connected TCP/IP, at ")));
    EXPECT_TRUE(log.lines.last().endsWith(QStringLiteral(", server 127.0.0.1")));
    EXPECT_EQ(state.PacketSequence, 1);

    channel.sendFrame(kReadRequest, PacketKind::Read, OperationWords::read(5));
    EXPECT_EQ(state.PacketSequence, 2);
    ASSERT_TRUE(spinUntil([&] { return !state.GatewayReply.isEmpty(); }));
    EXPECT_EQ(received, wrapPacket(kReadRequest, PacketKind::Read, NetworkNumber{0, 0, 0, 7}, 1));
    EXPECT_EQ(channel.readReply(ReplyTimer::Set).bytes, telegram);
    EXPECT_TRUE(log.has(QStringLiteral("Done!")));

    channel.closeChannel();
    EXPECT_FALSE(state.GatewayClientConnected);
    EXPECT_TRUE(log.hasPrefix(QStringLiteral("Disconnected TCP/IP connection at ")));
}

} // namespace
