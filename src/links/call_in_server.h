#pragma once

#include "codec/envelope_assembler.h"
#include "links/link_selection.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <functional>

namespace holvex {
struct RunState;
struct Settings;
class LogSink;
} // namespace holvex

namespace holvex::links {

// What a gateway's first packet on a new connection starts, by the settings.
enum class AutomaticAction { DisplayReadout, PrimaryScan, SecondarySearch };

// The server socket that the gateways (or a wireless interface adapter) call in to. At most one peer is
// kept: a second caller is closed at once. Packets are gathered from the pieces the peer sends, checked and
// unpacked into GatewayReply; a quiet connection is dropped and the socket reopened after ten minutes. What
// it serves follows the settings of the moment (`role`): a caller while the gateways are not the road is
// logged as ignored, and a wireless adapter's bytes are gathered as they come.
class CallInServer : public QObject {
    Q_OBJECT

public:
    static constexpr quint16 kDefaultPort = 59615;
    static constexpr int kIdleReopenMs = 600000;
    static constexpr int kKeepAliveMs = 10000;
    // A gateway sends one packet per request; a peer sending this many bad ones in a row is no gateway (or
    // a line gone bad) and is closed, so that it cannot fill the log and the memory for ever.
    static constexpr int kMaxBadPacketsInARow = 8;
    // A wireless adapter's bytes wait in the run state until an operation takes them; a peer that sends
    // without end keeps only its newest bytes there (an answer is a few hundred).
    static constexpr qsizetype kMaxHeldAdapterBytes = 64 * 1024;

    CallInServer(Settings& settings, RunState& state, LogSink& log, std::function<ServerRole()> role,
                 QObject* parent = nullptr);
    ~CallInServer() override;

    // The socket toggle: closes a listening socket, opens a closed one on the port of portText.
    void toggle(const QString& portText);
    // "Apply" of the settings: the socket closes so that the next activation reopens it on the new port.
    void closeForNewPort();
    // Timer_close_socket: drop any connection and listen again.
    void reopenAfterIdle();
    // A gateway of another network while only one is accepted: drop it and listen again.
    void dropForeignGateway();

    bool hasPeer() const;
    bool send(const QByteArray& bytes, QString* failure);
    // The port actually listened on (useful when the text asked for 0, any free port).
    quint16 listeningPort() const;

    QString peerAddress() const { return m_peerAddress; }
    QString peerHost() const { return m_peerHost; }
    quint16 peerPort() const { return m_peerPort; }

    // The main window may hand over its own Timer_close_socket and Timer_keepAlive; until then the server
    // uses timers of its own. The server does not take ownership.
    void setIdleTimer(QTimer* timer);
    void setKeepAliveTimer(QTimer* timer);
    QTimer* idleTimer() const { return m_idleTimer; }
    QTimer* keepAliveTimer() const { return m_keepAliveTimer; }
    void startKeepAlive();
    void stopKeepAlive();

    // The number a "Port to listen:" text stands for: 59615 when it is not a port number.
    static quint16 listenPortFor(const QString& portText);

signals:
    // A gateway called in: the window comes to the front and beeps.
    void peerAccepted();
    void automaticActionRequested(holvex::links::AutomaticAction kind);
    // Timer_keepAlive ticked: a ping is due.
    void keepAliveDue();

private:
    void onNewConnection();
    void onPeerDisconnected();
    void onPeerReadyRead();
    void onPeerError(QAbstractSocket::SocketError error);
    void onIdleTimeout();
    void takePacket(const QByteArray& packet);
    // Counts a packet that failed its checks; closes the peer at kMaxBadPacketsInARow.
    void noteBadPacket();
    void startAutomaticAction();
    bool listenOn(const QString& portText);
    void closeServer();
    void dropPeerQuietly();
    void restartIdleTimer();
    static void closeAtOnce(QTcpSocket* socket);
    static QString addressText(const QHostAddress& address);

    Settings& m_settings;
    RunState& m_state;
    LogSink& m_log;
    std::function<ServerRole()> m_role;
    codec::EnvelopeAssembler m_assembler;
    QTcpServer m_server;
    QPointer<QTcpSocket> m_peer;
    QString m_peerAddress;
    QString m_peerHost;
    quint16 m_peerPort = 0;
    int m_badPacketsInARow = 0;
    QTimer m_ownIdleTimer;
    QTimer m_ownKeepAliveTimer;
    QTimer* m_idleTimer = nullptr;
    QTimer* m_keepAliveTimer = nullptr;
};

} // namespace holvex::links
