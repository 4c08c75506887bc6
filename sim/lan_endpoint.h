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

    // Port 0 takes any free port; Port() tells which.
    bool Listen(quint16 port);
    quint16 Port() const { return m_server.serverPort(); }
    QString ErrorString() const { return m_server.errorString(); }
    int ConnectionCount() const { return m_connections; }

signals:
    void clientConnected();
    void clientDisconnected();

private:
    void Accept();

    SimInstallation* m_installation;
    QTcpServer m_server;
    int m_connections = 0;
};

} // namespace holvex::sim
