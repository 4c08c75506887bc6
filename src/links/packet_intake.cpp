#include "links/packet_intake.h"

#include "bus/run_state.h"
#include "log/log_sink.h"
#include "settings/settings.h"

namespace holvex::links {

codec::PacketCheckResult takeGatewayPacket(const QByteArray& packet, const Settings& settings,
                                           RunState& state, LogSink& log) {
    codec::PacketCheckInput input;
    input.packetSequence = state.PacketSequence;
    input.acceptOnlyNetwork = settings.AcceptOnlyNetwork;
    input.acceptedNetwork = settings.AcceptedNetwork;
    const codec::PacketCheckResult result = codec::checkPacket(packet, input);
    state.GatewayReply = result.gatewayReply;
    if (result.network) {
        state.NetworkNumber = *result.network;
    }
    for (const QString& line : result.log) {
        log.logLine(line);
    }
    return result;
}

} // namespace holvex::links
