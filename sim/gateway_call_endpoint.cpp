#include "sim/gateway_call_endpoint.h"

#include "sim/gateway_packets.h"
#include "sim/gateway_session.h"
#include "sim/sim_installation.h"

#include <algorithm>

namespace holvex::sim {

GatewayCallEndpoint::GatewayCallEndpoint(SimInstallation* installation, QObject* parent)
    : QObject(parent), m_installation(installation) {
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &GatewayCallEndpoint::call);
    connect(&m_socket, &QTcpSocket::connected, this, &GatewayCallEndpoint::onConnected);
    connect(&m_socket, &QTcpSocket::disconnected, this, &GatewayCallEndpoint::onLost);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
        // A refused or failed call never reaches the connected state, so no disconnect follows.
        if (m_socket.state() != QAbstractSocket::ConnectedState) {
            onLost();
        }
    });
}

GatewayCallEndpoint::~GatewayCallEndpoint() {
    m_running = false;
    disconnect(&m_socket, nullptr, this, nullptr);
    m_socket.abort();
}

void GatewayCallEndpoint::setBackoff(int minimumMs, int maximumMs) {
    m_minimumMs = std::max(1, minimumMs);
    m_maximumMs = std::max(m_minimumMs, maximumMs);
    m_backoffMs = m_minimumMs;
}

void GatewayCallEndpoint::start(const QString& host, quint16 port) {
    m_host = host;
    m_port = port;
    m_running = true;
    m_backoffMs = m_minimumMs;
    call();
}

void GatewayCallEndpoint::stop() {
    m_running = false;
    m_retry.stop();
    dropSession();
    m_socket.abort();
}

void GatewayCallEndpoint::call() {
    if (!m_running || m_socket.state() != QAbstractSocket::UnconnectedState) {
        return;
    }
    ++m_calls;
    m_installation->trace(QStringLiteral("gateway calling %1:%2").arg(m_host).arg(m_port));
    m_socket.connectToHost(m_host, m_port);
}

void GatewayCallEndpoint::onConnected() {
    m_backoffMs = m_minimumMs;
    dropSession();
    m_session = new GatewaySession(m_installation, &m_socket, QStringLiteral("gateway-call"));
    const auto network = m_installation->config().gateway.network;
    m_installation->trace(
        QStringLiteral("gateway-call connected, identifying as %1").arg(codec::networkText(network)));
    m_socket.write(identificationPacket(network));
    emit connected();
}

// The session may be the caller of this (an answer written into a dying connection), so it goes later;
// it stops reading the socket at once, so that a new connection starts with a fresh session.
void GatewayCallEndpoint::dropSession() {
    if (m_session) {
        disconnect(&m_socket, nullptr, m_session, nullptr);
        m_session->deleteLater();
        m_session = nullptr;
    }
}

void GatewayCallEndpoint::onLost() {
    const bool wasConnected = m_session != nullptr;
    dropSession();
    m_socket.abort();
    if (wasConnected) {
        m_installation->trace(QStringLiteral("gateway-call disconnected"));
        emit disconnected();
    }
    if (m_running && !m_retry.isActive()) {
        m_retry.start(m_backoffMs);
        m_backoffMs = std::min(m_maximumMs, m_backoffMs * 2);
    }
}

} // namespace holvex::sim
