#include "links/lan_adapter_client.h"

#include "bus/clock_text.h"
#include "bus/event_loop_wait.h"
#include "bus/run_state.h"
#include "codec/packet_codec.h"
#include "log/log_sink.h"
#include "settings/settings.h"

#include <QRegularExpression>

#include <algorithm>
#include <exception>

namespace holvex::links {

namespace {
constexpr int kWaitStepMs = 10;
}

std::optional<RemoteEndpoint> parseRemoteEndpoint(const QString& ip, const QString& portText,
                                                  quint16 defaultPort) {
    const QString host = ip.trimmed();
    if (host.isEmpty()) {
        return std::nullopt;
    }
    // Digits and dots must make a whole dotted quad ("10.0.0" is not taken as 10.0.0.0); anything else is an
    // IPv6 address or a host name for the resolver.
    static const QRegularExpression digitsAndDots(QStringLiteral("^[0-9.]+$"));
    if (digitsAndDots.match(host).hasMatch() && !codec::parseNetworkNumber(host)) {
        return std::nullopt;
    }
    const QString text = portText.trimmed();
    if (text.isEmpty()) {
        return RemoteEndpoint{host, defaultPort};
    }
    bool ok = false;
    const uint port = text.toUInt(&ok);
    if (!ok || port == 0 || port > 65535) {
        return std::nullopt;
    }
    return RemoteEndpoint{host, static_cast<quint16>(port)};
}

LanAdapterClient::LanAdapterClient(Settings& settings, RunState& state, LogSink& log, QObject* parent)
    : QObject(parent), m_settings(settings), m_state(state), m_log(log) {
    connect(&m_socket, &QTcpSocket::connected, this, &LanAdapterClient::onConnected);
    connect(&m_socket, &QTcpSocket::disconnected, this, &LanAdapterClient::onDisconnected);
    connect(&m_socket, &QTcpSocket::readyRead, this, &LanAdapterClient::onReadyRead);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &LanAdapterClient::onError);
}

void LanAdapterClient::connectXPort() {
    const auto endpoint = parseRemoteEndpoint(m_settings.RemoteIp, m_settings.RemotePort, kDefaultPort);
    if (!endpoint) {
        m_log.logLine(QStringLiteral("Remote IP and Port are not properly set..."));
        m_socket.abort();
        m_state.XPortConnected = false;
        return;
    }
    if (m_state.XPortConnected && m_socket.state() == QAbstractSocket::ConnectedState) {
        return;
    }
    try {
        // A connect attempt still pending from an earlier wait starts over.
        m_socket.abort();
        m_socket.connectToHost(endpoint->host, endpoint->port);
        m_log.logLine(QStringLiteral("Trying to connect to Lumet-R7 ethernet..."));
        waitProcessingEvents(std::max(0, m_settings.EthTimeout) * kWaitStepMs);
    } catch (const std::exception&) {
        m_log.logLine(QStringLiteral("Unexpected exception when connecting to Lumet ethernet..."));
        m_socket.abort();
    }
}

bool LanAdapterClient::send(const QByteArray& bytes, QString* failure) {
    if (m_socket.write(bytes) != bytes.size()) {
        if (failure != nullptr) {
            *failure = m_socket.errorString();
        }
        return false;
    }
    m_socket.flush();
    return true;
}

void LanAdapterClient::drop() {
    if (m_socket.state() != QAbstractSocket::UnconnectedState) {
        m_socket.abort();
    }
    m_state.XPortConnected = false;
}

void LanAdapterClient::onConnected() {
    m_log.logLine(QStringLiteral("Connected TCP/IP, at ") + clockTime());
    m_state.XPortConnected = true;
}

void LanAdapterClient::onDisconnected() {
    m_log.logLine(QStringLiteral("Disconnected TCP/IP connection at ") + clockTime());
    m_state.XPortConnected = false;
}

void LanAdapterClient::onReadyRead() {
    m_state.RawReply.append(m_socket.readAll());
}

void LanAdapterClient::onError(QAbstractSocket::SocketError error) {
    // The peer closing the connection is reported by the disconnect event, not as an error.
    if (error == QAbstractSocket::RemoteHostClosedError) {
        return;
    }
    m_log.logLine(QStringLiteral("Socket error #") + QString::number(static_cast<int>(error)));
}

} // namespace holvex::links
