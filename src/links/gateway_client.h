#pragma once

#include "codec/envelope_assembler.h"

#include <QByteArray>
#include <QObject>
#include <QTcpSocket>

namespace holvex {
struct RunState;
struct Settings;
class LogSink;
} // namespace holvex

namespace holvex::links {

// The TCP client to a gateway of the server version: requests go out in 300-byte packets, answers are
// gathered packet by packet and unpacked into GatewayReply.
class GatewayClient : public QObject {
    Q_OBJECT

public:
    static constexpr quint16 kDefaultPort = 59615;

    GatewayClient(Settings& settings, RunState& state, LogSink& log, QObject* parent = nullptr);

    // Connects when not connected and waits up to "Ethernet timeout" x 10 ms with the event loop running;
    // the wait ends as soon as the connection is up.
    void connectGateway();
    bool send(const QByteArray& bytes, QString* failure);
    void drop();

signals:
    // A packet came from another network while only one is accepted.
    void foreignNetworkSeen();

private:
    void onConnected();
    void onDisconnected();
    void onReadyRead();
    void onError(QAbstractSocket::SocketError error);
    void takePacket(const QByteArray& packet);

    Settings& m_settings;
    RunState& m_state;
    LogSink& m_log;
    codec::EnvelopeAssembler m_assembler;
    QTcpSocket m_socket;
    QString m_remoteIp;
};

} // namespace holvex::links
