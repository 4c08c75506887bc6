#include "sim/lan_endpoint.h"

#include "sim/sim_installation.h"
#include "sim/stream_session.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpSocket>

namespace holvex::sim {

LanEndpoint::LanEndpoint(SimInstallation* installation, QObject* parent)
    : QObject(parent), m_installation(installation) {
    connect(&m_server, &QTcpServer::newConnection, this, &LanEndpoint::accept);
}

// The accepted connections go down with the server; their last signals must not reach a half-destroyed
// endpoint.
LanEndpoint::~LanEndpoint() {
    m_server.close();
    for (QTcpSocket* socket : m_server.findChildren<QTcpSocket*>()) {
        disconnect(socket, nullptr, this, nullptr);
        socket->abort();
    }
}

bool LanEndpoint::listen(quint16 port) {
    return m_server.listen(QHostAddress::LocalHost, port);
}

void LanEndpoint::accept() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        ++m_connections;
        const QString label = QStringLiteral("lan:%1").arg(socket->peerPort());
        if (m_installation->config().lanDropsConnections) {
            m_installation->trace(label + QStringLiteral(" closed at once"));
            socket->abort();
            socket->deleteLater();
            continue;
        }
        m_installation->trace(label + QStringLiteral(" connected"));
        QPointer<QTcpSocket> guard(socket);
        auto* session = new StreamSession(
            m_installation,
            [guard](const QByteArray& bytes) {
                if (guard && guard->state() == QAbstractSocket::ConnectedState) {
                    guard->write(bytes);
                }
            },
            label, TextRoad::Lan, socket);
        connect(socket, &QTcpSocket::readyRead, session,
                [socket, session]() { session->feed(socket->readAll()); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket, label]() {
            --m_connections;
            m_installation->trace(label + QStringLiteral(" disconnected"));
            socket->deleteLater();
            emit clientDisconnected();
        });
        emit clientConnected();
    }
}

} // namespace holvex::sim
