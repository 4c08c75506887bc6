#pragma once

#include "sim/installation_config.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class QTcpSocket;

namespace holvex::sim {

class SimInstallation;
struct RequestPacket;

// One connection of a gateway: 300-byte request packets in (gathered across reads), the payload put on the
// bus, the meters' answer back in a 300-byte answer packet.
//
// What the gateway answers:
// - a packet that fails its checks: a status-only answer, result code 1, the status bits of what was wrong;
// - the meters' bytes in a data answer (result code 0), except a lone 0xE5 to a command packet (kind 0xA8:
//   SND_NKE, SND_UD), which the gateway confirms with a status-only answer, result code 0; read packets
//   (kind 0xA1, which also carry the search worker's selection frames) get the 0xE5 as data;
// - no answer within the gateway's timeout: a status-only answer, result code 1, second status byte 0x02
//   (timeout) at the end of that timeout, or nothing at all when the options say so;
// - an answer too long for one packet: a status-only answer, result code 1, status bit 0x04.
// On a paced line the bus behind the gateway takes its time: the payload goes out byte by byte, the meters
// answer after their delay, and the answer packet leaves when the gateway has the whole answer. With
// GatewayOptions::dropAfterPackets the gateway closes the connection when the request after that many comes.
class GatewaySession : public QObject {
    Q_OBJECT

public:
    // The session lives as a child of the socket and reads it.
    GatewaySession(SimInstallation* installation, QTcpSocket* socket, QString label);

    // A partial packet older than this is dropped: its rest will not come any more.
    static constexpr int kStalePacketMs = 2000;

private:
    void read();
    void handle(const QByteArray& packet);
    void send(int atMs, const QByteArray& packet);

    QPointer<SimInstallation> m_installation;
    QTcpSocket* m_socket;
    QString m_label;
    QByteArray m_buffer;
    QTimer m_stale;
    int m_requests = 0; // request packets taken on this connection
};

} // namespace holvex::sim
