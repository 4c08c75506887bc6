#pragma once

#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>

namespace holvex::sim {

class GatewaySession;
class SimInstallation;

// A gateway that calls in: it connects to the program's server socket, identifies itself with its first
// packet, then answers request packets as the server version does. After a disconnect, or when nobody
// listens, it calls again after a back-off that grows from the minimum to the maximum and starts over once
// a call succeeds. The installation must outlive the endpoint.
class GatewayCallEndpoint : public QObject {
    Q_OBJECT

public:
    explicit GatewayCallEndpoint(SimInstallation* installation, QObject* parent = nullptr);
    ~GatewayCallEndpoint() override;

    void start(const QString& host, quint16 port);
    void stop();
    void setBackoff(int minimumMs, int maximumMs);

    bool isConnected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }
    int callCount() const { return m_calls; }

signals:
    void connected();
    void disconnected();

private:
    void call();
    void onConnected();
    void onLost();
    void dropSession();

    SimInstallation* m_installation;
    QTcpSocket m_socket;
    QTimer m_retry;
    GatewaySession* m_session = nullptr;
    QString m_host;
    quint16 m_port = 0;
    bool m_running = false;
    int m_minimumMs = 200;
    int m_maximumMs = 5000;
    int m_backoffMs = 200;
    int m_calls = 0;
};

} // namespace holvex::sim
