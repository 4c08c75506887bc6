#pragma once

#include "codec/envelope_assembler.h"
#include "links/link.h"
#include "links/tcp_client.h"

#include <QObject>

namespace holvex {
struct RunState;
struct Settings;
class LogSink;
} // namespace holvex

namespace holvex::links {

// A gateway of the server version (the "Connect to Ferrin" road): the program connects to it, requests go out
// in 300-byte packets carrying the network number of the settings, answers are gathered packet by packet and
// unpacked into GatewayReply. The connection is dropped at an operation's end only when "CloseTCP" says so.
class ServerGatewayLink : public QObject, public Link {
    Q_OBJECT

public:
    static constexpr quint16 kDefaultPort = 59615;

    ServerGatewayLink(Settings& settings, RunState& state, LogSink& log, QObject* parent = nullptr);

    LinkKind kind() const override { return LinkKind::ServerGateway; }
    // Takes the network number of the settings.
    void prepare() override;
    bool open() override;
    bool sendFrame(const QByteArray& frame, codec::PacketKind kind, const OperationWords& words) override;
    bool sendLine(const QByteArray& line, const OperationWords& words) override;
    ReplyRead takeReply(ReplyTimer timer) override;
    SearchReply takeSearchReply() override;
    QByteArray peekReply() override;
    void close() override;

    // Connects when not connected and waits up to "Ethernet timeout" x 10 ms with the event loop running;
    // the wait ends as soon as the connection is up (the hidden "Connect to Ferrin" button does this too).
    void connectGateway();

signals:
    // A packet came from another network while only one is accepted.
    void foreignNetworkSeen();

private:
    bool sendPacket(const QByteArray& payload, codec::PacketKind kind, const OperationWords& words);
    void takeNetworkNumber();
    void onConnected();
    void onDisconnected();
    void onReadyRead();

    Settings& m_settings;
    RunState& m_state;
    LogSink& m_log;
    codec::EnvelopeAssembler m_assembler;
    TcpClient m_client;
};

} // namespace holvex::links
