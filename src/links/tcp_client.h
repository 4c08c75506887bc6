#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTcpSocket>

#include <optional>

namespace holvex {
class LogSink;
}

namespace holvex::links {

// Host and port of the "Remote IP number:" and "Remote port:" settings; nothing when they do not make an
// address. An empty port text takes defaultPort.
struct RemoteEndpoint {
    QString host;
    quint16 port = 0;
};
std::optional<RemoteEndpoint> parseRemoteEndpoint(const QString& ip, const QString& portText,
                                                  quint16 defaultPort);

// "Socket error #" + the error's number, then its text in brackets: "Socket error #0 (Connection refused)".
QString socketErrorLine(QAbstractSocket::SocketError error, const QString& text);

// The TCP client both client roads share (the LAN adapter and the gateway of the server version): connecting
// with a bounded wait that keeps the event loop running, sending, dropping, and the error line. Each road
// adds its own log lines and what it does with the bytes that arrive.
class TcpClient : public QObject {
    Q_OBJECT

public:
    explicit TcpClient(LogSink& log, QObject* parent = nullptr);

    // Starts a connection, dropping an attempt still pending; the caller waits for it with the event loop
    // running.
    void startConnecting(const RemoteEndpoint& endpoint);
    bool isConnected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }
    // Writes all bytes; false with the socket's error text in `failure` when it could not.
    bool send(const QByteArray& bytes, QString* failure);
    // Closes the connection at once, without the disconnect signal's log line being lost.
    void drop();
    // Reads at most `maxBytes` of what is waiting (everything when maxBytes is 0).
    QByteArray read(qint64 maxBytes = 0);
    qint64 bytesAvailable() const { return m_socket.bytesAvailable(); }
    QString remoteHost() const { return m_remoteHost; }

signals:
    void connected();
    void disconnected();
    void readyRead();

private:
    void onError(QAbstractSocket::SocketError error);

    LogSink& m_log;
    QTcpSocket m_socket;
    QString m_remoteHost;
};

} // namespace holvex::links
