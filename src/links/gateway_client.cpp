#include "links/gateway_client.h"

#include "bus/clock_text.h"
#include "bus/event_loop_wait.h"
#include "bus/run_state.h"
#include "codec/packet_codec.h"
#include "links/lan_adapter_client.h"
#include "links/packet_intake.h"
#include "log/log_sink.h"
#include "settings/settings.h"

#include <algorithm>
#include <exception>

namespace holvex::links {

namespace {
constexpr int kWaitStepMs = 10;
}

GatewayClient::GatewayClient(Settings& settings, RunState& state, LogSink& log, QObject* parent)
    : QObject(parent), m_settings(settings), m_state(state), m_log(log),
      m_assembler(state.EnvelopeBuffer, state.EnvelopeCount) {
    connect(&m_socket, &QTcpSocket::connected, this, &GatewayClient::onConnected);
    connect(&m_socket, &QTcpSocket::disconnected, this, &GatewayClient::onDisconnected);
    connect(&m_socket, &QTcpSocket::readyRead, this, &GatewayClient::onReadyRead);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &GatewayClient::onError);
}

void GatewayClient::connectGateway() {
    const auto endpoint = parseRemoteEndpoint(m_settings.RemoteIp, m_settings.RemotePort, kDefaultPort);
    if (!endpoint) {
        m_log.logLine(QStringLiteral("Remote IP and Port are not properly set..."));
        m_socket.abort();
        m_state.GatewayClientConnected = false;
        return;
    }
    if (m_state.GatewayClientConnected && m_socket.state() == QAbstractSocket::ConnectedState) {
        return;
    }
    try {
        m_socket.abort();
        m_remoteIp = endpoint->host;
        m_socket.connectToHost(endpoint->host, endpoint->port);
        m_log.logLine(QStringLiteral("Trying to connect to Ferrin-2 server..."));
        waitProcessingEvents(std::max(0, m_settings.EthTimeout) * kWaitStepMs,
                             [this] { return m_state.GatewayClientConnected; });
    } catch (const std::exception&) {
        m_log.logLine(QStringLiteral("Unexpected exception when connecting to Ferrin-2 server..."));
        m_socket.abort();
    }
}

bool GatewayClient::send(const QByteArray& bytes, QString* failure) {
    if (m_socket.write(bytes) != bytes.size()) {
        if (failure != nullptr) {
            *failure = m_socket.errorString();
        }
        return false;
    }
    m_socket.flush();
    return true;
}

void GatewayClient::drop() {
    if (m_socket.state() != QAbstractSocket::UnconnectedState) {
        m_socket.abort();
    }
    m_state.GatewayClientConnected = false;
}

void GatewayClient::onConnected() {
    m_log.logLine(QStringLiteral("Connected TCP/IP, at ") + clockTime() + QStringLiteral(", server ") +
                  m_remoteIp);
    m_state.GatewayClientConnected = true;
    m_state.PacketSequence = 1;
    // Half a packet left by an earlier connection must not be glued to this one's first packet.
    m_assembler.clear();
}

void GatewayClient::onDisconnected() {
    m_log.logLine(QStringLiteral("Disconnected TCP/IP connection at ") + clockTime() +
                  QStringLiteral(", from server ") + m_remoteIp);
    m_log.logLine(QString());
    m_state.GatewayClientConnected = false;
}

void GatewayClient::onReadyRead() {
    // Reads of at most one packet's size, until nothing is left: bytes left in the socket would raise no
    // further read event.
    while (m_socket.bytesAvailable() > 0) {
        QByteArray piece;
        try {
            piece = m_socket.read(codec::EnvelopeAssembler::kMaxReadSize);
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
            takePacket(result.packet);
        }
    }
}

void GatewayClient::takePacket(const QByteArray& packet) {
    const codec::PacketCheckResult result = takeGatewayPacket(packet, m_settings, m_state, m_log);
    if (result.foreignNetwork) {
        emit foreignNetworkSeen();
    }
}

void GatewayClient::onError(QAbstractSocket::SocketError error) {
    if (error == QAbstractSocket::RemoteHostClosedError) {
        return;
    }
    m_log.logLine(QStringLiteral("Socket error #") + QString::number(static_cast<int>(error)));
}

} // namespace holvex::links
