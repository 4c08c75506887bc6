#pragma once

#include <QObject>
#include <QString>
#include <QTcpServer>

namespace holvex::sim {

class SimInstallation;

// A TCP serial adapter on 127.0.0.1: raw M-Bus bytes both ways on every accepted connection, as on the
// pseudo-terminal.
class LanEndpoint : public QObject {
    Q_OBJECT

public:
    explicit LanEndpoint(SimInstallation* installation, QObject* parent = nullptr);
    ~LanEndpoint() override;

    // Port 0 takes any free port; port() tells which.
    bool listen(quint16 port);
    quint16 port() const { return m_server.serverPort(); }
    QString errorString() const { return m_server.errorString(); }
    int connectionCount() const { return m_connections; }

signals:
    void clientConnected();
    void clientDisconnected();

private:
    void accept();

    SimInstallation* m_installation;
    QTcpServer m_server;
    int m_connections = 0;
};

} // namespace holvex::sim
