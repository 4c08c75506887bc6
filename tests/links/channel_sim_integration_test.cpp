#include "links/channel.h"

#include "bus/run_state.h"
#include "channel_test_helpers.h"
#include "codec/frame_codec.h"
#include "lang/message_language.h"
#include "settings/settings.h"
#include "sim/gateway_call_endpoint.h"
#include "sim/lan_endpoint.h"
#include "sim/sim_installation.h"

#include <gtest/gtest.h>

#include <memory>

using namespace holvex;
using namespace holvex::codec;
using namespace holvex::links;
using test::spinUntil;

namespace {

// One water meter at primary address 1.
const char kInstallation[] = R"({
  "turnaroundMs": 5,
  "gateway": {"network": "0.0.0.3", "timeoutMs": 100, "answerTimeout": true},
  "meters": [
    {"address": 1, "id": "21034501", "manufacturer": "SEN", "version": 104, "medium": "water",
     "records": [{"type": "volume", "value": 123.456}]}
  ]
})";

class ChannelSimTest : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        installation = sim::SimInstallation::fromJson(QByteArray(kInstallation), &error);
        ASSERT_TRUE(installation) << error.toStdString();
        settings.EthTimeout = 20;
        settings.RemoteIp = QStringLiteral("127.0.0.1");
    }

    std::unique_ptr<sim::SimInstallation> installation;
    test::RoadsBench bench;
    Settings& settings = bench.settings;
    RunState& state = bench.state;
    test::CollectingLog& log = bench.log;
    MessageLanguage& language = bench.language;
    Channel& channel = bench.channel;
    RoadLinks& roads = bench.roads;
};

TEST_F(ChannelSimTest, MeterReadThroughTheLanAdapter) {
    sim::LanEndpoint adapter(installation.get());
    ASSERT_TRUE(adapter.listen(0));
    settings.UseLanXp = true;
    settings.RemotePort = QString::number(adapter.port());
    ASSERT_TRUE(channel.openChannel());
    channel.sendFrame(shortFrame(control::kReqUd2, 1), PacketKind::Read, OperationWords::read(1));
    ASSERT_TRUE(spinUntil([&] { return checkLongFrame(state.RawReply).passed; }));
    EXPECT_EQ(static_cast<std::uint8_t>(channel.readReply(ReplyTimer::Respond).bytes.at(5)), 1);
    channel.closeChannel();
}

TEST_F(ChannelSimTest, MeterReadThroughAGatewayThatCallsIn) {
    settings.UseEthernet = true;
    settings.KeepAlive = false;
    settings.ListenPort = QStringLiteral("0");
    roads.toggleServerSocket(settings.ListenPort);
    ASSERT_TRUE(state.ServerListening);
    sim::GatewayCallEndpoint gateway(installation.get());
    gateway.start(QStringLiteral("127.0.0.1"), roads.listeningPort());
    ASSERT_TRUE(spinUntil([&] { return state.GatewayCalledIn && state.PacketArrived; }));
    EXPECT_TRUE(log.has(QStringLiteral("Connected Ferrin Network number: 0.0.0.3")));
    state.PacketArrived = false;

    ASSERT_TRUE(channel.openChannel());
    channel.sendFrame(shortFrame(control::kReqUd2, 1), PacketKind::Read, OperationWords::read(1));
    ASSERT_TRUE(spinUntil([&] { return state.PacketArrived; }));
    const ReplyRead reply = channel.readReply(ReplyTimer::Respond);
    EXPECT_TRUE(checkLongFrame(reply.bytes).passed);
    gateway.stop();
}

} // namespace
