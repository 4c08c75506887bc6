#pragma once

#include "links/call_in_server.h"
#include "links/calling_gateway_link.h"
#include "links/lan_adapter_link.h"
#include "links/link_set.h"
#include "links/serial_link.h"
#include "links/server_gateway_link.h"

#include <QObject>

class QTimer;

namespace holvex {
struct RunState;
struct Settings;
class LogSink;
class MessageLanguage;
} // namespace holvex

namespace holvex::links {

// The real links of the five roads: the serial port, the two TCP clients and the server socket with the two
// roads that call in on it. It also carries what the windows do with the roads outside operations: the port
// button, the server socket toggle, the hidden connect buttons, the gateway that called in.
class RoadLinks : public QObject, public LinkSet {
    Q_OBJECT

public:
    // `idleTimer` and `keepAliveTimer` are Timer_close_socket and Timer_keepAlive (not owned).
    RoadLinks(Settings& settings, RunState& state, LogSink& log, const MessageLanguage& language,
              QTimer& idleTimer, QTimer& keepAliveTimer, QObject* parent = nullptr);
    ~RoadLinks() override;

    Link& link(LinkKind kind) override;
    void stopKeepAlive() override;

    SerialLink& serial() { return m_serial; }
    LanAdapterLink& lanAdapter() { return m_lan; }
    ServerGatewayLink& serverGateway() { return m_serverGateway; }
    CallInServer& callInServer() { return m_server; }

    // The settings window's port button, and the port closing with the main window.
    void toggleSerialPort();
    void closeSerialPort();
    // The port the server socket listens on (0 when it does not), and the gateway that called in.
    quint16 listeningPort() const { return m_server.listeningPort(); }
    QString peerAddress() const { return m_server.peerAddress(); }
    QString peerHost() const { return m_server.peerHost(); }
    quint16 peerPort() const { return m_server.peerPort(); }
    // The server socket toggle, with the "Port to listen:" text.
    void toggleServerSocket(const QString& portText);
    // "Apply" of the settings' first page: the socket closes so that the next activation reopens it on the
    // new port.
    void settingsApplied();

signals:
    void statusTextChanged(const QString& text);
    void serialFieldsEnabled(bool enabled);
    void portCaptionChanged(const QString& caption);
    void peerAccepted();
    void automaticActionRequested(holvex::links::AutomaticAction kind);

private:
    void sendKeepAlivePing();

    Settings& m_settings;
    LogSink& m_log;
    SerialLink m_serial;
    LanAdapterLink m_lan;
    ServerGatewayLink m_serverGateway;
    CallInServer m_server;
    CallingGatewayLink m_callingGateway;
    WirelessAdapterLink m_wirelessAdapter;
};

} // namespace holvex::links
