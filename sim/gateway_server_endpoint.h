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

    // Port 0 takes any free port; port() tells which.
    bool listen(quint16 port);
    quint16 port() const { return m_server.serverPort(); }
    QString errorString() const { return m_server.errorString(); }

signals:
    void clientConnected();
    void clientDisconnected();

private:
    void accept();

    SimInstallation* m_installation;
    QTcpServer m_server;
};

} // namespace holvex::sim
