#pragma once

#include <QByteArray>
#include <QObject>
#include <QTcpSocket>

#include <optional>

namespace holvex {
struct RunState;
struct Settings;
class LogSink;
} // namespace holvex

namespace holvex::links {

// Host and port of the "Remote IP number:" and "Remote port:" settings; nothing when they do not make an
// address. An empty port text takes defaultPort.
struct RemoteEndpoint {
    QString host;
    quint16 port = 0;
};
std::optional<RemoteEndpoint> parseRemoteEndpoint(const QString& ip, const QString& portText,
                                                  quint16 defaultPort);

// The TCP client to a serial-to-Ethernet LAN adapter: frames and text lines travel unchanged, and whatever
// comes back is gathered into RawReply.
class LanAdapterClient : public QObject {
    Q_OBJECT

public:
    static constexpr quint16 kDefaultPort = 10001;

    LanAdapterClient(Settings& settings, RunState& state, LogSink& log, QObject* parent = nullptr);

    // Connects when not connected and waits "Ethernet timeout" x 10 ms, the whole time, with the event loop
    // running.
    void connectXPort();
    bool send(const QByteArray& bytes, QString* failure);
    void drop();

private:
    void onConnected();
    void onDisconnected();
    void onReadyRead();
    void onError(QAbstractSocket::SocketError error);

    Settings& m_settings;
    RunState& m_state;
    LogSink& m_log;
    QTcpSocket m_socket;
};

} // namespace holvex::links
