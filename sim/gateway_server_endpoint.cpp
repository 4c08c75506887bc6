#include "sim/gateway_server_endpoint.h"

#include "sim/gateway_session.h"
#include "sim/sim_installation.h"

#include <QHostAddress>
#include <QTcpSocket>

namespace holvex::sim {

GatewayServerEndpoint::GatewayServerEndpoint(SimInstallation* installation, QObject* parent)
    : QObject(parent), m_installation(installation) {
    connect(&m_server, &QTcpServer::newConnection, this, &GatewayServerEndpoint::accept);
}

// The accepted connections go down with the server; their last signals must not reach a half-destroyed
// endpoint.
GatewayServerEndpoint::~GatewayServerEndpoint() {
    m_server.close();
    for (QTcpSocket* socket : m_server.findChildren<QTcpSocket*>()) {
        disconnect(socket, nullptr, this, nullptr);
        socket->abort();
    }
}

bool GatewayServerEndpoint::listen(quint16 port) {
    return m_server.listen(QHostAddress::LocalHost, port);
}

void GatewayServerEndpoint::accept() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        const QString label = QStringLiteral("gateway:%1").arg(socket->peerPort());
        m_installation->trace(label + QStringLiteral(" connected"));
        new GatewaySession(m_installation, socket, label);
        connect(socket, &QTcpSocket::disconnected, this, [this, socket, label]() {
            m_installation->trace(label + QStringLiteral(" disconnected"));
            socket->deleteLater();
            emit clientDisconnected();
        });
        emit clientConnected();
    }
}

} // namespace holvex::sim
