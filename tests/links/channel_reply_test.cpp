#include "links/channel.h"

#include "bus/run_state.h"
#include "channel_test_helpers.h"
#include "codec/frame_codec.h"
#include "lang/message_language.h"
#include "links/call_in_server.h"
#include "links/serial_link.h"
#include "settings/settings.h"
#include "test_support.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace holvex;
using namespace holvex::codec;
using namespace holvex::links;

namespace {

class ChannelTest : public ::testing::Test {
protected:
    test::RoadsBench bench;
    Settings& settings = bench.settings;
    RunState& state = bench.state;
    test::CollectingLog& log = bench.log;
    MessageLanguage& language = bench.language;
    Channel& channel = bench.channel;
    RoadLinks& roads = bench.roads;
};

TEST_F(ChannelTest, GatewayReplyIsWaitedForReloadPeriodsThenOverload) {
    settings.UseEthernet = true;
    settings.TReload = 2;
    state.GatewayReply = QByteArrayLiteral("stale");
    // Ticks 1 and 2: keep waiting, no retry is used.
    for (int tick = 1; tick <= 2; ++tick) {
        const ReplyRead read = channel.readReply(ReplyTimer::Set);
        EXPECT_TRUE(read.waitAnotherPeriod) << tick;
        EXPECT_TRUE(read.bytes.isEmpty());
        EXPECT_EQ(state.ReloadCount, tick);
    }
    EXPECT_TRUE(log.lines.isEmpty());
    // Tick 3 (1.5 s at 500 ms): overload, whatever GatewayReply holds is taken.
    const ReplyRead last = channel.readReply(ReplyTimer::Set);
    EXPECT_FALSE(last.waitAnotherPeriod);
    EXPECT_EQ(last.bytes, QByteArrayLiteral("stale"));
    EXPECT_EQ(state.ReloadCount, 0);
    EXPECT_EQ(log.lines, QStringList{QStringLiteral("Timer overload")});
}

TEST_F(ChannelTest, RequestToACalledInGatewayWaitsForItsOwnAnswer) {
    // The gateway's identification packet (or a late answer) arrived before this request was sent.
    settings.UseEthernet = true;
    settings.TReload = 2;
    state.ServerListening = true;
    state.PacketArrived = true;
    state.ReloadCount = 1;
    state.GatewayReply = QByteArrayLiteral("earlier");
    channel.sendFrame(shortFrame(0x7B, 5), PacketKind::Read, OperationWords::read(5));
    EXPECT_FALSE(state.PacketArrived);
    EXPECT_EQ(state.ReloadCount, 0);
    EXPECT_TRUE(state.GatewayReply.isEmpty());
    EXPECT_TRUE(channel.readReply(ReplyTimer::Respond).waitAnotherPeriod);
}

TEST_F(ChannelTest, OverloadWordsOfTheScanTimer) {
    settings.UseEthernet = true;
    settings.TReload = 0;
    const ReplyRead read = channel.readReply(ReplyTimer::Respond);
    EXPECT_FALSE(read.waitAnotherPeriod);
    EXPECT_EQ(log.lines, QStringList{QStringLiteral("Timer overload...")});
}

TEST_F(ChannelTest, ArrivedPacketEndsTheWait) {
    settings.UseEthernet = true;
    settings.TReload = 5;
    EXPECT_TRUE(channel.readReply(ReplyTimer::Respond).waitAnotherPeriod);
    state.PacketArrived = true;
    state.GatewayReply = test::hex("E5");
    const ReplyRead read = channel.readReply(ReplyTimer::Respond);
    EXPECT_FALSE(read.waitAnotherPeriod);
    EXPECT_EQ(read.bytes, test::hex("E5"));
    EXPECT_FALSE(state.PacketArrived);
    EXPECT_EQ(state.ReloadCount, 0);
    // Taking does not clear: the caller does.
    EXPECT_EQ(state.GatewayReply, test::hex("E5"));
}

TEST_F(ChannelTest, ReplySourcePerChannel) {
    struct Case {
        const char* what;
        bool ethernet, lan, ferrinServ, nerit1;
        ReplyTimer timer;
        QByteArray expected;
        QString logged;
    };
    const QByteArray raw = QByteArrayLiteral("raw");
    const QByteArray gateway = QByteArrayLiteral("gateway");
    const Case cases[] = {
        {"adapter, scan timer", true, false, false, true, ReplyTimer::Respond, raw, {}},
        {"adapter, read-all timer", true, false, false, true, ReplyTimer::ReadAll, raw, {}},
        {"adapter, row runner: gateway rule", true, false, false, true, ReplyTimer::Set, gateway, {}},
        {"gateway server version", false, false, true, false, ReplyTimer::Set, gateway, {}},
        {"LAN adapter", false, true, false, false, ReplyTimer::FreeCommand, raw, {}},
        {"serial closed, scan",
         false,
         false,
         false,
         false,
         ReplyTimer::Respond,
         {},
         QStringLiteral("No valid physical connection... ")},
        {"serial closed, search",
         false,
         false,
         false,
         false,
         ReplyTimer::Secondary,
         {},
         QStringLiteral("No valid physical connection... ")},
        {"serial closed, read all",
         false,
         false,
         false,
         false,
         ReplyTimer::ReadAll,
         {},
         QStringLiteral("No valid physical connection :) ")},
        {"serial closed, console",
         false,
         false,
         false,
         false,
         ReplyTimer::FreeCommand,
         {},
         QStringLiteral("No valid physical connection :) ")},
    };
    for (const Case& c : cases) {
        settings.UseEthernet = c.ethernet;
        settings.UseLanXp = c.lan;
        settings.UseFerrinServ = c.ferrinServ;
        settings.UseNerit1 = c.nerit1;
        state.RawReply = raw;
        state.GatewayReply = gateway;
        state.PacketArrived = true;
        log.lines.clear();
        const ReplyRead read = channel.readReply(c.timer);
        EXPECT_EQ(read.bytes, c.expected) << c.what;
        EXPECT_FALSE(read.waitAnotherPeriod) << c.what;
        EXPECT_EQ(log.lines, c.logged.isEmpty() ? QStringList() : QStringList{c.logged}) << c.what;
    }
}

TEST_F(ChannelTest, NothingIsSentNorLoggedOnAChannelThatIsNotConnected) {
    struct Case {
        const char* what;
        bool ethernet, lan, ferrinServ;
    };
    const Case cases[] = {
        {"serial", false, false, false},
        {"LAN adapter", false, true, false},
        {"gateway server version", false, false, true},
        {"gateways calling in", true, false, false},
    };
    for (const Case& c : cases) {
        settings.UseEthernet = c.ethernet;
        settings.UseLanXp = c.lan;
        settings.UseFerrinServ = c.ferrinServ;
        state.PacketSequence = 7;
        log.lines.clear();
        channel.sendFrame(shortFrame(control::kReqUd2, 5), PacketKind::Read, OperationWords::read(5));
        channel.sendLine(QByteArrayLiteral("GET MAIN"), OperationWords{});
        EXPECT_EQ(state.PacketSequence, 7) << c.what;
        EXPECT_TRUE(log.lines.isEmpty()) << c.what;
    }
}

TEST_F(ChannelTest, DeviceLinesPerRoad) {
    // A LAN adapter whose connection is down: the stale reply goes, nothing goes out.
    settings.UseLanXp = true;
    state.RawReply = QByteArrayLiteral("stale");
    EXPECT_FALSE(channel.sendLine(QByteArrayLiteral("GET MAIN"), OperationWords{}));
    EXPECT_TRUE(state.RawReply.isEmpty());

    // The gateway of the server version takes the settings' network number before the packet is wrapped.
    settings.UseLanXp = false;
    settings.UseFerrinServ = true;
    settings.NetNumber = QStringLiteral("10.0.0.7");
    state.GatewayClientConnected = true;
    OperationWords words;
    words.socket = QStringLiteral("setting Lumet parameters");
    EXPECT_TRUE(channel.sendLine(QByteArrayLiteral("GET MAIN"), words));
    EXPECT_EQ(state.NetworkNumber, (std::array<std::uint8_t, 4>{10, 0, 0, 7}));
    EXPECT_TRUE(log.hasPrefix(QStringLiteral("Socket exception during setting Lumet parameters - ")));
}

TEST_F(ChannelTest, TooLongPayloadIsNotWrappedNorSent) {
    settings.UseEthernet = true;
    state.ServerListening = true;
    state.GatewayReply = QByteArrayLiteral("kept");
    channel.sendFrame(QByteArray(281, 'x'), PacketKind::Read, OperationWords::read(1));
    EXPECT_EQ(state.GatewayReply, QByteArrayLiteral("kept"));
    EXPECT_EQ(state.PacketSequence, 1);
}

TEST_F(ChannelTest, OpenChannelPerSettings) {
    settings.UseEthernet = true;
    state.GatewayReply = QByteArrayLiteral("old");
    EXPECT_FALSE(channel.openChannel());
    EXPECT_TRUE(state.GatewayReply.isEmpty());
    state.GatewayCalledIn = true;
    EXPECT_TRUE(channel.openChannel());
}

TEST_F(ChannelTest, MissingSerialPortIsReportedWithItsReason) {
    settings.PortName = QStringLiteral("/dev/holvex-no-such-port");
    QSignalSpy status(&roads, &RoadLinks::statusTextChanged);
    EXPECT_FALSE(channel.openChannel());
    EXPECT_FALSE(state.PortOpen);
    ASSERT_EQ(status.count(), 1);
    EXPECT_EQ(status.at(0).at(0).toString(), QStringLiteral("/dev/holvex-no-such-port is closed"));
    // A port that does not exist is not "in use by another program".
    EXPECT_EQ(log.lines,
              QStringList{QStringLiteral("The serial port /dev/holvex-no-such-port does not exist.")});

    language.setTicked(TickedLanguage::Italian);
    log.lines.clear();
    roads.toggleSerialPort();
    EXPECT_EQ(log.lines,
              QStringList{QStringLiteral("La porta seriale /dev/holvex-no-such-port non esiste.")});
}

TEST_F(ChannelTest, GatewayLinesGoOverTheSerialPortOnly) {
    struct Case {
        bool ethernet, lan, ferrinServ;
        GatewayLineScope scope;
        bool refused;
    };
    const Case cases[] = {
        {false, true, false, GatewayLineScope::NetworkSetting, true},
        {true, false, false, GatewayLineScope::NetworkSetting, true},
        {false, false, true, GatewayLineScope::NetworkSetting, true},
        {false, true, false, GatewayLineScope::OtherSetting, true},
        {true, false, false, GatewayLineScope::OtherSetting, true},
        {false, false, true, GatewayLineScope::OtherSetting, false},
        {false, false, false, GatewayLineScope::NetworkSetting, false},
    };
    settings.PortName = QStringLiteral("/dev/holvex-no-such-port");
    const QString refusal = QStringLiteral("Setting of Ferrin-2 or Galdor-5 is only RS-232!");
    for (const Case& c : cases) {
        settings.UseEthernet = c.ethernet;
        settings.UseLanXp = c.lan;
        settings.UseFerrinServ = c.ferrinServ;
        log.lines.clear();
        EXPECT_FALSE(
            channel.sendGatewayLine(QByteArrayLiteral("SET PITO=10"), c.scope, QStringLiteral("Sending")));
        EXPECT_EQ(log.has(refusal), c.refused);
        // Let through: the port is tried, and with no port nothing is sent and the log text is not written.
        EXPECT_EQ(log.hasPrefix(QStringLiteral("The serial port /dev/holvex-no-such-port does not exist")),
                  !c.refused);
        EXPECT_FALSE(log.has(QStringLiteral("Sending")));
    }
}

TEST_F(ChannelTest, CloseChannelReleasesPerChannel) {
    settings.UseLanXp = true;
    state.XPortConnected = true;
    state.FullReadRequested = true;
    channel.closeChannel();
    EXPECT_FALSE(state.XPortConnected);
    EXPECT_FALSE(state.FullReadRequested);

    settings.UseLanXp = false;
    settings.UseFerrinServ = true;
    state.GatewayClientConnected = true;
    channel.closeChannel();
    EXPECT_TRUE(state.GatewayClientConnected) << "kept open without \"CloseTCP\"";
    settings.CloseTcp = true;
    channel.closeChannel();
    EXPECT_FALSE(state.GatewayClientConnected);
}

TEST_F(ChannelTest, BadRemoteAddressIsReportedAndNothingConnects) {
    settings.UseLanXp = true;
    settings.RemoteIp = QStringLiteral("192.168.1.300");
    state.XPortConnected = true;
    EXPECT_FALSE(channel.openChannel());
    EXPECT_FALSE(state.XPortConnected);
    EXPECT_EQ(log.lines, QStringList{QStringLiteral("Remote IP and Port are not properly set...")});
}

TEST_F(ChannelTest, ActivationTakesTheNetworkNumberOfTheServerVersion) {
    settings.UseFerrinServ = true;
    settings.NetNumber = QStringLiteral("10.0.3.200");
    channel.prepare();
    EXPECT_EQ(state.NetworkNumber, (std::array<std::uint8_t, 4>{10, 0, 3, 200}));
    settings.NetNumber = QStringLiteral("10.0.3");
    channel.prepare();
    EXPECT_EQ(state.NetworkNumber, (std::array<std::uint8_t, 4>{10, 0, 3, 200}));
}

TEST(ChannelSettings, RemoteEndpointAndPorts) {
    struct Case {
        const char* ip;
        const char* port;
        bool valid;
        quint16 expected;
    };
    const Case cases[] = {
        {"192.168.1.3", "", true, 10001}, {"192.168.1.3", "4001", true, 4001},
        {"192.168.1.3", "x", false, 0},   {"192.168.1.3", "70000", false, 0},
        {"", "4001", false, 0},           {"10.0.0", "1", false, 0},
    };
    for (const Case& c : cases) {
        const auto endpoint =
            parseRemoteEndpoint(QString::fromLatin1(c.ip), QString::fromLatin1(c.port), 10001);
        ASSERT_EQ(endpoint.has_value(), c.valid) << c.ip << " " << c.port;
        if (endpoint) {
            EXPECT_EQ(endpoint->port, c.expected);
        }
    }
    EXPECT_EQ(parseRemoteEndpoint(QStringLiteral("192.168.1.3"), QString(), 59615)->port, 59615);
    EXPECT_EQ(CallInServer::listenPortFor(QStringLiteral("5000")), 5000);
    EXPECT_EQ(CallInServer::listenPortFor(QStringLiteral("abc")), 59615);
    EXPECT_EQ(CallInServer::listenPortFor(QStringLiteral("99999")), 59615);
}

TEST(ChannelSettings, LineSettingsFallBackToTheirDefaults) {
    EXPECT_EQ(SerialLink::baudRateFor(QStringLiteral("300")), 300);
    EXPECT_EQ(SerialLink::baudRateFor(QStringLiteral("19200")), 19200);
    EXPECT_EQ(SerialLink::baudRateFor(QStringLiteral("38400")), 2400);
    EXPECT_EQ(SerialLink::baudRateFor(QString()), 2400);
    EXPECT_EQ(SerialLink::parityFor(QStringLiteral("None")), QSerialPort::NoParity);
    EXPECT_EQ(SerialLink::parityFor(QStringLiteral("Space")), QSerialPort::SpaceParity);
    EXPECT_EQ(SerialLink::parityFor(QStringLiteral("Bogus")), QSerialPort::EvenParity);
}

} // namespace
