#include "sim/gateway_session.h"

#include "codec/frame_codec.h"
#include "sim/gateway_packets.h"
#include "sim/paced_line.h"
#include "sim/sim_installation.h"

#include <QTcpSocket>

#include <cmath>
#include <utility>

namespace holvex::sim {

namespace {

constexpr char kPacketStart = 0x01;
constexpr std::uint8_t kFailed = 0x01;

} // namespace

GatewaySession::GatewaySession(SimInstallation* installation, QTcpSocket* socket, QString label)
    : QObject(socket), m_installation(installation), m_socket(socket), m_label(std::move(label)) {
    m_stale.setSingleShot(true);
    m_stale.setInterval(kStalePacketMs);
    connect(&m_stale, &QTimer::timeout, this, [this]() {
        if (m_installation && !m_buffer.isEmpty()) {
            m_installation->trace(QStringLiteral("%1: %2 bytes of an unfinished packet dropped")
                                      .arg(m_label)
                                      .arg(m_buffer.size()));
        }
        m_buffer.clear();
    });
    connect(socket, &QTcpSocket::readyRead, this, &GatewaySession::read);
}

void GatewaySession::read() {
    m_buffer += m_socket->readAll();
    for (;;) {
        // A packet starts with 0x01; bytes before one cannot belong to a packet.
        const qsizetype start = m_buffer.indexOf(kPacketStart);
        if (start != 0) {
            if (m_installation) {
                m_installation->trace(QStringLiteral("%1: %2 stray bytes skipped")
                                          .arg(m_label)
                                          .arg(start < 0 ? m_buffer.size() : start));
            }
            m_buffer.remove(0, start < 0 ? m_buffer.size() : start);
        }
        if (m_buffer.size() < codec::kPacketSize) {
            break;
        }
        const QByteArray packet = m_buffer.left(codec::kPacketSize);
        m_buffer.remove(0, codec::kPacketSize);
        const int dropAfter = m_installation ? m_installation->config().gateway.dropAfterPackets : 0;
        if (dropAfter > 0 && ++m_requests > dropAfter) {
            if (m_installation) {
                m_installation->trace(QStringLiteral("%1: connection dropped after %2 request packets")
                                          .arg(m_label)
                                          .arg(dropAfter));
            }
            m_buffer.clear();
            m_stale.stop();
            m_socket->abort(); // the socket and this session go later, from its disconnect
            return;
        }
        handle(packet);
    }
    if (m_buffer.isEmpty()) {
        m_stale.stop();
    } else {
        m_stale.start();
    }
}

void GatewaySession::handle(const QByteArray& packet) {
    if (!m_installation) {
        return;
    }
    const GatewayOptions options = m_installation->config().gateway;
    const RequestPacket request = parseRequestPacket(packet, options.network);
    const int turnaround = m_installation->config().turnaroundMs;
    if (request.statusBits != 0) {
        m_installation->trace(QStringLiteral("%1: bad request packet, status bits %2")
                                  .arg(m_label)
                                  .arg(static_cast<unsigned>(request.statusBits), 2, 16, QLatin1Char('0')));
        send(turnaround,
             statusAnswerPacket(options.network, request.sequence, kFailed, 0, request.statusBits));
        return;
    }
    m_installation->trace(
        QStringLiteral("%1 <- [%2 #%3] %4")
            .arg(m_label)
            .arg(static_cast<unsigned>(request.kind), 2, 16, QLatin1Char('0'))
            .arg(request.sequence)
            .arg(isTextLine(request.payload)
                     ? QStringLiteral("text ") + QString::fromLatin1(escapedLine(request.payload))
                     : codec::spacedHex(request.payload).trimmed()));
    const SimResponse response = m_installation->handlePayload(request.payload, TextRoad::Gateway);
    QByteArray bytes = response.bytes();
    int doneAt = response.lastMs();
    if (const int baud = m_installation->config().lineBaud; baud > 0) {
        PacedLine line(baud);
        const double requestEnd = static_cast<double>(request.payload.size()) * line.byteMs();
        doneAt = static_cast<int>(std::ceil(placeResponse(line, requestEnd, response)));
        bytes = line.takeAll();
    }
    if (bytes.isEmpty() || doneAt > options.timeoutMs) {
        if (options.answerTimeout) {
            send(options.timeoutMs,
                 statusAnswerPacket(options.network, request.sequence, kFailed, second_status::kTimeout, 0));
        }
        return;
    }
    const bool lonelyAck = bytes.size() == 1 && static_cast<std::uint8_t>(bytes[0]) == codec::kAcknowledge;
    if (lonelyAck && request.kind == static_cast<std::uint8_t>(codec::PacketKind::Command) &&
        !options.ackAsData) {
        send(doneAt, statusAnswerPacket(options.network, request.sequence, 0, 0, 0));
        return;
    }
    if (bytes.size() > kMaxAnswerPayload) {
        send(doneAt, statusAnswerPacket(options.network, request.sequence, kFailed, 0, status_bit::kLength));
        return;
    }
    send(doneAt, dataAnswerPacket(options.network, request.sequence, bytes));
}

void GatewaySession::send(int atMs, const QByteArray& packet) {
    QTimer::singleShot(atMs, this, [this, packet]() {
        if (m_socket->state() != QAbstractSocket::ConnectedState) {
            return;
        }
        if (m_installation) {
            m_installation->trace(QStringLiteral("%1 -> answer packet, %2")
                                      .arg(m_label, static_cast<std::uint8_t>(packet[21]) == kStatusOnlyMarker
                                                        ? QStringLiteral("status only")
                                                        : QStringLiteral("with data")));
        }
        m_socket->write(packet);
    });
}

} // namespace holvex::sim
