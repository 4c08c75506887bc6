#pragma once

#include <QObject>
#include <QString>
#include <QTcpServer>

namespace holvex::sim {

class SimInstallation;

// A gateway of the server version on 127.0.0.1: the program connects to it and sends request packets.
// The installation must outlive the endpoint.
class GatewayServerEndpoint : public QObject {
    Q_OBJECT

public:
    explicit GatewayServerEndpoint(SimInstallation* installation, QObject* parent = nullptr);
    ~GatewayServerEndpoint() override;

    // Port 0 takes any free port; Port() tells which.
    bool Listen(quint16 port);
    quint16 Port() const { return m_server.serverPort(); }
    QString ErrorString() const { return m_server.errorString(); }

signals:
    void clientConnected();
    void clientDisconnected();

private:
    void Accept();

    SimInstallation* m_installation;
    QTcpServer m_server;
};

} // namespace holvex::sim
