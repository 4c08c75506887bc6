#include "links/tcp_client.h"

#include "codec/packet_codec.h"
#include "log/log_sink.h"

#include <QRegularExpression>

namespace holvex::links {

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

TcpClient::TcpClient(LogSink& log, QObject* parent) : QObject(parent), m_log(log) {
    connect(&m_socket, &QTcpSocket::connected, this, &TcpClient::connected);
    connect(&m_socket, &QTcpSocket::disconnected, this, &TcpClient::disconnected);
    connect(&m_socket, &QTcpSocket::readyRead, this, &TcpClient::readyRead);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &TcpClient::onError);
}

void TcpClient::startConnecting(const RemoteEndpoint& endpoint) {
    m_socket.abort();
    m_remoteHost = endpoint.host;
    m_socket.connectToHost(endpoint.host, endpoint.port);
}

bool TcpClient::send(const QByteArray& bytes, QString* failure) {
    if (m_socket.write(bytes) != bytes.size()) {
        if (failure != nullptr) {
            *failure = m_socket.errorString();
        }
        return false;
    }
    m_socket.flush();
    return true;
}

void TcpClient::drop() {
    if (m_socket.state() != QAbstractSocket::UnconnectedState) {
        m_socket.abort();
    }
}

QByteArray TcpClient::read(qint64 maxBytes) {
    return maxBytes > 0 ? m_socket.read(maxBytes) : m_socket.readAll();
}

void TcpClient::onError(QAbstractSocket::SocketError error) {
    m_log.logLine(socketErrorLine(error, m_socket.errorString()));
}

QString socketErrorLine(QAbstractSocket::SocketError error, const QString& text) {
    // The number alone means nothing to an operator; the socket's own words follow it.
    return QStringLiteral("Socket error #") + QString::number(static_cast<int>(error)) +
           QStringLiteral(" (") + text + QStringLiteral(")");
}

} // namespace holvex::links
