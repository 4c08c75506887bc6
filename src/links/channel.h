#pragma once

#include "links/channel_interface.h"
#include "links/gateway_server.h"

#include <QObject>

class QTimer;

namespace holvex {
struct RunState;
struct Settings;
class LogSink;
class MessageLanguage;
} // namespace holvex

namespace holvex::links {

class SerialChannel;
class LanAdapterClient;
class GatewayClient;

// The five connection channels behind one face. Each call reads the settings in force at that moment and
// picks the channel anew: the serial port, the LAN adapter, the gateways calling in (or a wireless interface
// adapter calling in) and the gateway of the server version.
class Channel : public QObject, public ChannelInterface {
    Q_OBJECT

public:
    Channel(Settings& settings, RunState& state, LogSink& log, const MessageLanguage& language,
            QObject* parent = nullptr);
    ~Channel() override;

    bool openChannel() override;
    void sendFrame(const QByteArray& frame, codec::PacketKind kind, const OperationWords& words) override;
    void sendDeviceCommand(const QByteArray& text) override;
    ReplyRead readReply(ReplyTimer timer) override;
    void closeChannel() override;
    SearchReply takeSearchReply() override;
    bool sendGatewayLine(const QByteArray& line, GatewayLineScope scope, const QString& logText) override;
    void discardSerialInput() override;
    void discardSerialBuffers() override;
    void stopKeepAlive() override;

    // The settings window's port button.
    void toggleSerialPort();
    // The main window closes: the port must not stay open.
    void closeSerialPort();
    // The server socket toggle, with the "Port to listen:" text.
    void toggleServerSocket(const QString& portText);
    // The hidden "Connect to Xport" and "Connect to Ferrin" buttons.
    void connectXPort();
    void connectGateway();
    // Each activation of the main window: listen for gateways, or take the network number of the server
    // version.
    void onMainWindowActivated();
    // "Apply" of the settings' first page.
    void onSettingsApplied();

    void setIdleTimer(QTimer* timer);
    void setKeepAliveTimer(QTimer* timer);

    // The gateway that called in.
    QString peerAddress() const;
    QString peerHost() const;
    quint16 peerPort() const;
    // The port the server socket listens on; 0 when it does not listen.
    quint16 listeningPort() const;

signals:
    void statusTextChanged(const QString& text);
    void serialFieldsEnabled(bool enabled);
    void portCaptionChanged(const QString& caption);
    void peerAccepted();
    void automaticActionRequested(holvex::links::AutomaticAction kind);

private:
    bool serialChosen() const;
    void sendKeepAlivePing();
    void sendToGateway(const QByteArray& packet, const OperationWords& words);
    void forgetEarlierGatewayPackets();
    void advanceSequence();

    Settings& m_settings;
    RunState& m_state;
    LogSink& m_log;
    const MessageLanguage& m_language;
    SerialChannel* m_serial;
    LanAdapterClient* m_lan;
    GatewayClient* m_client;
    GatewayServer* m_server;
};

} // namespace holvex::links
