#include "links/calling_gateway_link.h"

#include "bus/run_state.h"
#include "links/call_in_server.h"
#include "links/packet_sequence.h"
#include "log/log_sink.h"
#include "settings/settings.h"

namespace holvex::links {

CallingGatewayLink::CallingGatewayLink(Settings& settings, RunState& state, LogSink& log,
                                       CallInServer& server)
    : m_settings(settings), m_state(state), m_log(log), m_server(server) {}

bool CallingGatewayLink::listeningOrCalledIn() const {
    return m_state.ServerListening || m_state.GatewayCalledIn;
}

void CallingGatewayLink::prepare() {
    if (!listeningOrCalledIn()) {
        m_server.toggle(m_settings.ListenPort);
    }
}

bool CallingGatewayLink::open() {
    m_state.GatewayReply.clear();
    return m_state.GatewayCalledIn;
}

bool CallingGatewayLink::sendPacket(const QByteArray& payload, codec::PacketKind kind,
                                    const OperationWords& words) {
    if (!listeningOrCalledIn()) {
        return false;
    }
    const QByteArray packet = codec::wrapPacket(payload, kind, m_state.NetworkNumber, m_state.PacketSequence);
    if (packet.isEmpty()) {
        return false;
    }
    // A new request starts a new wait: the identification packet of a gateway that just called in, or a late
    // answer to an earlier request, must not be taken as this request's answer.
    m_state.GatewayReply.clear();
    m_state.PacketArrived = false;
    m_state.ReloadCount = 0;
    if (!m_server.hasPeer()) {
        return false;
    }
    QString failure;
    if (m_server.send(packet, &failure)) {
        advancePacketSequence(m_state);
    } else {
        m_log.logLine(words.socketLine(failure));
    }
    return true;
}

bool CallingGatewayLink::sendFrame(const QByteArray& frame, codec::PacketKind kind,
                                   const OperationWords& words) {
    return sendPacket(frame, kind, words);
}

bool CallingGatewayLink::sendLine(const QByteArray& line, const OperationWords& words) {
    return sendPacket(line, codec::PacketKind::Read, words);
}

ReplyRead CallingGatewayLink::takeReply(ReplyTimer timer) {
    ReplyRead reply;
    if (m_state.PacketArrived) {
        reply.bytes = m_state.GatewayReply;
        m_state.PacketArrived = false;
        m_state.ReloadCount = 0;
        return reply;
    }
    ++m_state.ReloadCount;
    if (m_state.ReloadCount <= m_settings.TReload) {
        reply.waitAnotherPeriod = true;
        return reply;
    }
    m_log.logLine(timer == ReplyTimer::Respond ? QStringLiteral("Timer overload...")
                                               : QStringLiteral("Timer overload"));
    m_state.ReloadCount = 0;
    m_state.PacketArrived = false;
    reply.bytes = m_state.GatewayReply;
    return reply;
}

SearchReply CallingGatewayLink::takeSearchReply() {
    m_state.PacketArrived = false;
    return SearchReply{m_state.GatewayReply, false};
}

QByteArray CallingGatewayLink::peekReply() {
    return m_state.PacketArrived ? m_state.GatewayReply : QByteArray();
}

void CallingGatewayLink::close() {
    m_state.GatewayReply.clear();
}

bool WirelessAdapterLink::sendFrame(const QByteArray& frame, codec::PacketKind kind,
                                    const OperationWords& words) {
    if (!words.readRequest) {
        return CallingGatewayLink::sendFrame(frame, kind, words);
    }
    if (!listeningOrCalledIn()) {
        return false;
    }
    m_state.RawReply.clear();
    QString failure;
    if (m_server.hasPeer() && !m_server.send(frame, &failure)) {
        m_log.logLine(words.socketLine(failure));
    }
    return true;
}

QByteArray WirelessAdapterLink::peekReply() {
    // Read requests are answered unwrapped, everything else in packets.
    return m_state.RawReply.isEmpty() ? CallingGatewayLink::peekReply() : m_state.RawReply;
}

ReplyRead WirelessAdapterLink::takeReply(ReplyTimer timer) {
    if (timer == ReplyTimer::Respond || timer == ReplyTimer::ReadAll) {
        return ReplyRead{m_state.RawReply, false};
    }
    return CallingGatewayLink::takeReply(timer);
}

} // namespace holvex::links
