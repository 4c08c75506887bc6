#pragma once

#include "codec/packet_codec.h"

#include <QByteArray>
#include <QString>

namespace holvex::links {

// The five roads a bus can be behind.
enum class LinkKind {
    Serial,          // a serial M-Bus master on a local port
    LanAdapter,      // a serial-to-Ethernet adapter, frames and lines as they are (TCP client)
    ServerGateway,   // a gateway of the server version, 300-byte packets (TCP client)
    CallingGateway,  // gateways that call in to the program's server socket, 300-byte packets
    WirelessAdapter, // a wireless interface adapter that calls in: read requests as they are
};

// The words an operation puts into its failure lines, and whether the frame is a read request.
struct OperationWords {
    // "Socket exception during " + socket + " - " + failure text (gateway roads).
    QString socket;
    // "Can not write to COM port - " + serial (serial port); the meter address is part of it.
    QString serial;
    // Read requests of the read timers go unwrapped to a wireless interface adapter that called in.
    bool readRequest = false;
    // When set, the whole gateway failure line is socketLead + failure text instead (a few commands name the
    // failure differently, some only give the failure text).
    bool socketLeadSet = false;
    QString socketLead{};

    // The line logged when a gateway send failed.
    QString socketLine(const QString& failure) const {
        if (socketLeadSet) {
            return socketLead + failure;
        }
        return QStringLiteral("Socket exception during ") + socket + QStringLiteral(" - ") + failure;
    }
    // Words whose gateway failure line is `lead` + failure text.
    static OperationWords withLead(const QString& lead, const QString& serialWords) {
        OperationWords words;
        words.serial = serialWords;
        words.socketLeadSet = true;
        words.socketLead = lead;
        return words;
    }

    // REQ_UD2 of the scan and the read cycle: "normal read" / "reading device " + address.
    static OperationWords read(int address) {
        return {QStringLiteral("normal read"), QStringLiteral("reading device ") + QString::number(address),
                true};
    }
    // SND_NKE: "send_nke" / "SND_NKE device " + address.
    static OperationWords sndNke(int address) {
        return {QStringLiteral("send_nke"), QStringLiteral("SND_NKE device ") + QString::number(address),
                false};
    }
};

// The reply timers differ in the wireless adapter step and in the words of two log lines.
enum class ReplyTimer {
    Respond, // Timer_respond: wireless adapter step, "Timer overload...", "No valid physical connection... "
    ReadAll, // Timer_readall: wireless adapter step, "Timer overload", "No valid physical connection :) "
    Secondary,   // Timer_secondary: "Timer overload", "No valid physical connection... "
    Set,         // Timer_set: "Timer overload", "No valid physical connection :) "
    FreeCommand, // Timer_free_command and every other timer: as Timer_set
};

struct ReplyRead {
    QByteArray bytes;
    // A gateway packet is still awaited: leave the timer running and look again at the next tick.
    bool waitAnotherPeriod = false;
};

// What the secondary search took after its own wait.
struct SearchReply {
    QByteArray bytes;
    bool noConnection = false; // serial road chosen but the port is closed
};

// One road to the bus. Each road's own rules (packet kinds and the network number, the gateway reload wait,
// connect waits) live in its link; the operations see only these calls, through the channel.
class Link {
public:
    virtual ~Link() = default;

    virtual LinkKind kind() const = 0;
    // What the road needs before anything is asked of it, at each activation of the main window: the server
    // socket of the gateways calling in listens, the gateway of the server version takes its network number.
    virtual void prepare() {}
    // Opens the port or connects; false when the road is not ready for an operation.
    virtual bool open() = 0;
    // One M-Bus frame, wrapped in a gateway packet of the given kind where a gateway is the road. False when
    // the road's connection is down and nothing went out.
    virtual bool sendFrame(const QByteArray& frame, codec::PacketKind kind, const OperationWords& words) = 0;
    // A text line of the maker's devices: written as it is, or as the payload of a packet of kind A1 through
    // a gateway. No terminator is added. False when the road's connection is down and nothing went out.
    virtual bool sendLine(const QByteArray& line, const OperationWords& words) = 0;
    // What arrived within the last response timeout. GatewayReply and RawReply are left for the caller to
    // clear.
    virtual ReplyRead takeReply(ReplyTimer timer) = 0;
    // What has arrived so far, at once, without the gateway reload wait (the secondary search waits one
    // response timeout itself).
    virtual SearchReply takeSearchReply() = 0;
    // What has arrived for the request under way, left where it is for the reply timer's read: a road that
    // cannot tell gives nothing, and its exchanges always wait the whole response timeout.
    virtual QByteArray peekReply() { return {}; }
    // The end of an operation: the serial port closes, a LAN adapter connection drops, the gateway of the
    // server version drops its connection when the settings ask for it.
    virtual void close() = 0;
    // Drops what waits to be read (serial port: the input, or input and output).
    virtual void discardInput() {}
    // Before each request: whatever is still waiting to be read belongs to an earlier exchange.
    virtual void dropStaleInput() {}
    virtual void discardAll() {}
};

} // namespace holvex::links
