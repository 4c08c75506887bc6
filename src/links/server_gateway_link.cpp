#include "links/server_gateway_link.h"

#include "bus/clock_text.h"
#include "bus/event_loop_wait.h"
#include "bus/run_state.h"
#include "links/packet_intake.h"
#include "links/packet_sequence.h"
#include "log/log_sink.h"
#include "settings/settings.h"

#include <algorithm>
#include <exception>

namespace holvex::links {

namespace {
constexpr int kWaitStepMs = 10;
}

ServerGatewayLink::ServerGatewayLink(Settings& settings, RunState& state, LogSink& log, QObject* parent)
    : QObject(parent), m_settings(settings), m_state(state), m_log(log),
      m_assembler(state.EnvelopeBuffer, state.EnvelopeCount), m_client(log) {
    connect(&m_client, &TcpClient::connected, this, &ServerGatewayLink::onConnected);
    connect(&m_client, &TcpClient::disconnected, this, &ServerGatewayLink::onDisconnected);
    connect(&m_client, &TcpClient::readyRead, this, &ServerGatewayLink::onReadyRead);
}

void ServerGatewayLink::takeNetworkNumber() {
    if (const auto network = codec::parseNetworkNumber(m_settings.NetNumber)) {
        m_state.NetworkNumber = *network;
    }
}

void ServerGatewayLink::prepare() {
    takeNetworkNumber();
}

void ServerGatewayLink::connectGateway() {
    const auto endpoint = parseRemoteEndpoint(m_settings.RemoteIp, m_settings.RemotePort, kDefaultPort);
    if (!endpoint) {
        m_log.logLine(QStringLiteral("Remote IP and Port are not properly set..."));
        m_client.drop();
        m_state.GatewayClientConnected = false;
        return;
    }
    if (m_state.GatewayClientConnected && m_client.isConnected()) {
        return;
    }
    try {
        m_client.startConnecting(*endpoint);
        m_log.logLine(QStringLiteral("Trying to connect to Ferrin-2 server..."));
        waitProcessingEvents(std::max(0, m_settings.EthTimeout) * kWaitStepMs,
                             [this] { return m_state.GatewayClientConnected; });
    } catch (const std::exception&) {
        m_log.logLine(QStringLiteral("Unexpected exception when connecting to Ferrin-2 server..."));
        m_client.drop();
    }
}

bool ServerGatewayLink::open() {
    connectGateway();
    return m_state.GatewayClientConnected;
}

bool ServerGatewayLink::sendPacket(const QByteArray& payload, codec::PacketKind kind,
                                   const OperationWords& words) {
    if (!m_state.GatewayClientConnected) {
        return false;
    }
    m_state.GatewayReply.clear();
    // The network number is taken from the settings again before every packet.
    takeNetworkNumber();
    const QByteArray packet = codec::wrapPacket(payload, kind, m_state.NetworkNumber, m_state.PacketSequence);
    if (packet.isEmpty()) {
        return false;
    }
    QString failure;
    if (m_client.send(packet, &failure)) {
        advancePacketSequence(m_state);
    } else {
        m_log.logLine(words.socketLine(failure));
    }
    return true;
}

bool ServerGatewayLink::sendFrame(const QByteArray& frame, codec::PacketKind kind,
                                  const OperationWords& words) {
    return sendPacket(frame, kind, words);
}

bool ServerGatewayLink::sendLine(const QByteArray& line, const OperationWords& words) {
    return sendPacket(line, codec::PacketKind::Read, words);
}

ReplyRead ServerGatewayLink::takeReply(ReplyTimer) {
    return ReplyRead{m_state.GatewayReply, false};
}

SearchReply ServerGatewayLink::takeSearchReply() {
    m_state.PacketArrived = false;
    return SearchReply{m_state.GatewayReply, false};
}

QByteArray ServerGatewayLink::peekReply() {
    return m_state.GatewayReply;
}

void ServerGatewayLink::close() {
    if (!m_settings.CloseTcp) {
        return;
    }
    if (m_state.GatewayClientConnected) {
        m_client.drop();
    }
    m_state.GatewayClientConnected = false;
}

void ServerGatewayLink::onConnected() {
    m_log.logLine(QStringLiteral("Connected TCP/IP, at ") + clockTime() + QStringLiteral(", server ") +
                  m_client.remoteHost());
    m_state.GatewayClientConnected = true;
    m_state.PacketSequence = 1;
    // Half a packet left by an earlier connection must not be glued to this one's first packet.
    m_assembler.clear();
}

void ServerGatewayLink::onDisconnected() {
    m_log.logLine(QStringLiteral("Disconnected TCP/IP connection at ") + clockTime() +
                  QStringLiteral(", from server ") + m_client.remoteHost());
    m_log.logLine(QString());
    m_state.GatewayClientConnected = false;
}

void ServerGatewayLink::onReadyRead() {
    // Reads of at most one packet's size, until nothing is left: bytes left in the socket would raise no
    // further read event.
    while (m_client.bytesAvailable() > 0) {
        QByteArray piece;
        try {
            piece = m_client.read(codec::EnvelopeAssembler::kMaxReadSize);
        } catch (const std::exception& failure) {
            m_log.logLine(QStringLiteral("Exception reading data from TCP socket (Ferrin-2) - ") +
                          QString::fromLocal8Bit(failure.what()));
            return;
        }
        if (piece.isEmpty()) {
            return;
        }
        const codec::EnvelopeAssembler::Result result = m_assembler.append(piece);
        if (result.outcome == codec::EnvelopeAssembler::Outcome::WrongCount) {
            m_log.logLine(QStringLiteral("Wrong byte count in the telegram, ") +
                          QString::number(result.count));
        } else if (result.outcome == codec::EnvelopeAssembler::Outcome::Packet) {
            if (takeGatewayPacket(result.packet, m_settings, m_state, m_log).foreignNetwork) {
                emit foreignNetworkSeen();
            }
        }
    }
}

} // namespace holvex::links
