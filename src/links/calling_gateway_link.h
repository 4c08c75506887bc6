#pragma once

#include "links/link.h"

namespace holvex {
struct RunState;
struct Settings;
class LogSink;
} // namespace holvex

namespace holvex::links {

class CallInServer;

// The gateways that call in to the program's server socket: requests go out in 300-byte packets to the
// gateway that called, and an answer is waited for over up to "Timeout reload when GPRS" further reply
// periods, since a GPRS gateway may answer late.
class CallingGatewayLink : public Link {
public:
    CallingGatewayLink(Settings& settings, RunState& state, LogSink& log, CallInServer& server);

    LinkKind kind() const override { return LinkKind::CallingGateway; }
    // The server socket listens unless it does or a gateway is connected.
    void prepare() override;
    // Ready while a gateway is connected.
    bool open() override;
    bool sendFrame(const QByteArray& frame, codec::PacketKind kind, const OperationWords& words) override;
    bool sendLine(const QByteArray& line, const OperationWords& words) override;
    ReplyRead takeReply(ReplyTimer timer) override;
    SearchReply takeSearchReply() override;
    QByteArray peekReply() override;
    void close() override;

protected:
    bool listeningOrCalledIn() const;

    Settings& m_settings;
    RunState& m_state;
    LogSink& m_log;
    CallInServer& m_server;

private:
    bool sendPacket(const QByteArray& payload, codec::PacketKind kind, const OperationWords& words);
};

// A wireless interface adapter that calls in to the same server socket: read requests go to it as they are
// and its bytes are gathered into RawReply for the read timers; everything else travels as to a gateway.
class WirelessAdapterLink : public CallingGatewayLink {
public:
    using CallingGatewayLink::CallingGatewayLink;

    LinkKind kind() const override { return LinkKind::WirelessAdapter; }
    bool sendFrame(const QByteArray& frame, codec::PacketKind kind, const OperationWords& words) override;
    ReplyRead takeReply(ReplyTimer timer) override;
    QByteArray peekReply() override;
};

} // namespace holvex::links
