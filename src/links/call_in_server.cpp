#include "links/call_in_server.h"

#include "bus/clock_text.h"
#include "bus/run_state.h"
#include "codec/frame_codec.h"
#include "codec/packet_codec.h"
#include "links/packet_intake.h"
#include "links/tcp_client.h"
#include "log/log_sink.h"
#include "settings/settings.h"

#include <exception>

namespace holvex::links {

CallInServer::CallInServer(Settings& settings, RunState& state, LogSink& log,
                           std::function<ServerRole()> role, QObject* parent)
    : QObject(parent), m_settings(settings), m_state(state), m_log(log), m_role(std::move(role)),
      m_assembler(state.EnvelopeBuffer, state.EnvelopeCount) {
    connect(&m_server, &QTcpServer::newConnection, this, &CallInServer::onNewConnection);
    setIdleTimer(&m_ownIdleTimer);
    setKeepAliveTimer(&m_ownKeepAliveTimer);
}

CallInServer::~CallInServer() {
    if (m_peer) {
        m_peer->disconnect(this);
    }
}

quint16 CallInServer::listenPortFor(const QString& portText) {
    bool ok = false;
    const uint port = portText.trimmed().toUInt(&ok);
    return ok && port <= 65535 ? static_cast<quint16>(port) : kDefaultPort;
}

QString CallInServer::addressText(const QHostAddress& address) {
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4).toString() : address.toString();
}

void CallInServer::setIdleTimer(QTimer* timer) {
    if (timer == nullptr || timer == m_idleTimer) {
        return;
    }
    if (m_idleTimer != nullptr) {
        m_idleTimer->stop();
        disconnect(m_idleTimer, &QTimer::timeout, this, &CallInServer::onIdleTimeout);
    }
    m_idleTimer = timer;
    m_idleTimer->setInterval(kIdleReopenMs);
    connect(m_idleTimer, &QTimer::timeout, this, &CallInServer::onIdleTimeout);
}

void CallInServer::setKeepAliveTimer(QTimer* timer) {
    if (timer == nullptr || timer == m_keepAliveTimer) {
        return;
    }
    if (m_keepAliveTimer != nullptr) {
        m_keepAliveTimer->stop();
        disconnect(m_keepAliveTimer, &QTimer::timeout, this, &CallInServer::keepAliveDue);
    }
    m_keepAliveTimer = timer;
    m_keepAliveTimer->setInterval(kKeepAliveMs);
    connect(m_keepAliveTimer, &QTimer::timeout, this, &CallInServer::keepAliveDue);
}

void CallInServer::startKeepAlive() {
    m_keepAliveTimer->setInterval(kKeepAliveMs);
    m_keepAliveTimer->start();
}

void CallInServer::stopKeepAlive() {
    m_keepAliveTimer->stop();
}

void CallInServer::restartIdleTimer() {
    m_idleTimer->start(kIdleReopenMs);
}

bool CallInServer::hasPeer() const {
    return m_peer && m_peer->state() == QAbstractSocket::ConnectedState;
}

quint16 CallInServer::listeningPort() const {
    return m_server.isListening() ? m_server.serverPort() : 0;
}

bool CallInServer::send(const QByteArray& bytes, QString* failure) {
    if (!hasPeer()) {
        return false;
    }
    if (m_peer->write(bytes) != bytes.size()) {
        if (failure != nullptr) {
            *failure = m_peer->errorString();
        }
        return false;
    }
    m_peer->flush();
    return true;
}

void CallInServer::closeAtOnce(QTcpSocket* socket) {
    socket->abort();
    socket->deleteLater();
}

void CallInServer::dropPeerQuietly() {
    if (m_peer) {
        QTcpSocket* peer = m_peer;
        m_peer = nullptr;
        peer->disconnect(this);
        closeAtOnce(peer);
    }
}

void CallInServer::closeServer() {
    m_server.close();
    if (m_peer) {
        dropPeerQuietly();
        // The dropped connection no longer speaks for a gateway.
        m_state.GatewayCalledIn = false;
    }
}

bool CallInServer::listenOn(const QString& portText) {
    closeServer();
    if (!m_server.listen(QHostAddress::Any, listenPortFor(portText))) {
        m_log.logLine(QStringLiteral("Exception opening socket - ") + m_server.errorString());
        m_state.ServerListening = false;
        return false;
    }
    m_state.ServerListening = true;
    m_state.GatewayCalledIn = false;
    return true;
}

void CallInServer::toggle(const QString& portText) {
    if (m_state.ServerListening) {
        try {
            closeServer();
        } catch (const std::exception& failure) {
            m_log.logLine(QStringLiteral("Unknown socket exception - ") +
                          QString::fromLocal8Bit(failure.what()));
        }
        m_state.ServerListening = false;
        m_log.logLine(QStringLiteral("Socket closed"));
        return;
    }
    if (portText.isEmpty()) {
        m_log.logLine(QStringLiteral("Socket port is not defined in Settings..."));
        return;
    }
    if (listenOn(portText)) {
        m_log.logLine(QStringLiteral("Socket is opened at port ") + portText);
    }
}

void CallInServer::closeForNewPort() {
    if (m_role() == ServerRole::Idle) {
        return;
    }
    m_state.GatewayCalledIn = false;
    if (m_state.ServerListening) {
        try {
            closeServer();
        } catch (const std::exception& failure) {
            m_log.logLine(QStringLiteral("Unknown socket exception - ") +
                          QString::fromLocal8Bit(failure.what()));
        }
        m_state.ServerListening = false;
    }
}

void CallInServer::reopenAfterIdle() {
    m_state.ServerListening = false;
    m_state.GatewayCalledIn = false;
    toggle(m_settings.ListenPort);
    if (m_state.ServerListening) {
        m_idleTimer->stop();
    }
}

void CallInServer::onIdleTimeout() {
    reopenAfterIdle();
}

void CallInServer::dropForeignGateway() {
    closeServer();
    m_state.PacketSequence = 1;
    m_state.GatewayCalledIn = false;
    m_assembler.clear();
    listenOn(m_settings.ListenPort);
}

void CallInServer::onNewConnection() {
    while (m_server.hasPendingConnections()) {
        QTcpSocket* socket = m_server.nextPendingConnection();
        if (socket == nullptr) {
            return;
        }
        const bool alreadyConnected = hasPeer();
        if (m_role() != ServerRole::Idle) {
            m_log.logLine(QStringLiteral("Incoming request..."));
            if (alreadyConnected) {
                m_log.logLine(QStringLiteral("Incoming connection ignored at ") + clockTime());
                closeAtOnce(socket);
                continue;
            }
        } else {
            m_log.logLine(QStringLiteral("Incoming request from Ferrin/Galdor ignored at ") + clockTime() +
                          QStringLiteral(", ") + clockDate());
        }
        if (alreadyConnected) {
            closeAtOnce(socket);
            continue;
        }
        try {
            if (m_peer) {
                dropPeerQuietly();
            }
            m_peer = socket;
            connect(socket, &QTcpSocket::disconnected, this, &CallInServer::onPeerDisconnected);
            connect(socket, &QTcpSocket::readyRead, this, &CallInServer::onPeerReadyRead);
            connect(socket, &QTcpSocket::errorOccurred, this, &CallInServer::onPeerError);
            m_peerAddress = addressText(socket->peerAddress());
            m_peerHost = socket->peerName().isEmpty() ? m_peerAddress : socket->peerName();
            m_peerPort = socket->peerPort();
            m_log.logLine(QStringLiteral("Connected to ") + m_peerAddress + QStringLiteral(", ") +
                          m_peerHost + QStringLiteral(", port No ") + QString::number(m_peerPort));
            m_log.logLine(clockTime() + QStringLiteral(",  ") + clockDate());
            m_log.logLine(QString());
            m_state.PacketSequence = 1;
            m_state.GatewayCalledIn = true;
            m_badPacketsInARow = 0;
            // Half a packet left by an earlier connection must not be glued to this one's first packet.
            m_assembler.clear();
            emit peerAccepted();
            restartIdleTimer();
        } catch (const std::exception& failure) {
            m_log.logLine(QStringLiteral("Unknown socket exception - ") +
                          QString::fromLocal8Bit(failure.what()));
            restartIdleTimer();
        }
    }
}

void CallInServer::onPeerDisconnected() {
    auto* socket = qobject_cast<QTcpSocket*>(sender());
    if (socket == nullptr || socket != m_peer) {
        return;
    }
    const QString address = addressText(socket->peerAddress());
    m_peer = nullptr;
    socket->disconnect(this);
    socket->deleteLater();
    if (address == m_peerAddress || address.isEmpty()) {
        m_state.GatewayCalledIn = false;
        m_log.logLine(QStringLiteral("Connection to ") + m_peerAddress +
                      QStringLiteral(" closed by client at ") + clockDate() + QStringLiteral(", ") +
                      clockTime());
    }
}

void CallInServer::onPeerError(QAbstractSocket::SocketError error) {
    auto* socket = qobject_cast<QTcpSocket*>(sender());
    m_log.logLine(socketErrorLine(error, socket != nullptr ? socket->errorString() : QString()));
}

void CallInServer::onPeerReadyRead() {
    const QPointer<QTcpSocket> peer = m_peer;
    if (!peer || peer != sender()) {
        return;
    }
    if (m_role() == ServerRole::WirelessAdapter) {
        m_state.RawReply.append(peer->readAll());
        if (m_state.RawReply.size() > kMaxHeldAdapterBytes) {
            m_state.RawReply.remove(0, m_state.RawReply.size() - kMaxHeldAdapterBytes);
        }
        restartIdleTimer();
        return;
    }
    // Reads of at most one packet's size, until nothing is left: bytes left in the socket would raise no
    // further read event.
    while (peer && peer == m_peer && peer->bytesAvailable() > 0) {
        QByteArray piece;
        try {
            piece = peer->read(codec::EnvelopeAssembler::kMaxReadSize);
        } catch (const std::exception& failure) {
            m_log.logLine(QStringLiteral("Exception reading data from TCP socket - ") +
                          QString::fromLocal8Bit(failure.what()));
            restartIdleTimer();
            return;
        }
        restartIdleTimer();
        if (piece.isEmpty()) {
            return;
        }
        const codec::EnvelopeAssembler::Result result = m_assembler.append(piece);
        if (result.outcome == codec::EnvelopeAssembler::Outcome::WrongCount) {
            m_state.PacketArrived = true;
            m_state.ReloadCount = 0;
            m_state.GatewayReply.clear();
            m_log.logLine(QStringLiteral("Wrong byte count in the telegram, ") +
                          QString::number(result.count));
            noteBadPacket();
        } else if (result.outcome == codec::EnvelopeAssembler::Outcome::Packet) {
            takePacket(result.packet);
        }
    }
}

void CallInServer::takePacket(const QByteArray& packet) {
    const codec::PacketCheckResult result = takeGatewayPacket(packet, m_settings, m_state, m_log);
    m_log.logLine(QStringLiteral("Packet: ") + codec::spacedHex(packet));
    m_state.PacketArrived = true;
    if (result.wellFormed) {
        m_badPacketsInARow = 0;
    } else {
        noteBadPacket();
        if (!m_peer) {
            return; // closed for sending junk: nothing is started for it
        }
    }
    if (result.foreignNetwork) {
        // The gateway is gone; nothing is started for it.
        dropForeignGateway();
        return;
    }
    if (m_state.PacketSequence == 1) {
        startAutomaticAction();
    }
}

void CallInServer::noteBadPacket() {
    if (++m_badPacketsInARow < kMaxBadPacketsInARow || !m_peer) {
        return;
    }
    m_log.logLine(QStringLiteral("Connection to %1 closed: %2 bad packets in a row")
                      .arg(m_peerAddress)
                      .arg(m_badPacketsInARow));
    m_badPacketsInARow = 0;
    dropPeerQuietly();
    m_state.GatewayCalledIn = false;
    m_assembler.clear();
}

void CallInServer::startAutomaticAction() {
    if (m_settings.AutoLumet) {
        emit automaticActionRequested(AutomaticAction::DisplayReadout);
    } else if (m_settings.AutoMbus) {
        emit automaticActionRequested(AutomaticAction::PrimaryScan);
    } else if (m_settings.AutoSec) {
        emit automaticActionRequested(AutomaticAction::SecondarySearch);
    } else if (m_settings.KeepAlive) {
        startKeepAlive();
    }
}

} // namespace holvex::links
