#pragma once

#include "codec/packet_codec.h"

#include <QByteArray>
#include <QString>

namespace holvex::links {

// The words an operation puts into its failure lines, and whether the frame is a read request.
struct OperationWords {
    // "Socket exception during " + socket + " - " + failure text (gateway channels).
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
    bool noConnection = false; // serial channel chosen but the port is closed
};

// Which gateway command lines the serial-only rule refuses.
enum class GatewayLineScope {
    NetworkSetting, // IP settings, "SET TEST" and every "GET": refused on any network channel
    OtherSetting,   // refused with the LAN adapter or the gateways calling in, sent on the serial port
                    // otherwise
};

// What operations need of the active channel. The real channel reads the settings at each call; tests use a
// fake that answers at once.
class ChannelInterface {
public:
    virtual ~ChannelInterface() = default;

    // Opens or connects the channel of the current settings; false when it is not ready.
    virtual bool openChannel() = 0;
    // One M-Bus frame (or a text line written as it is), wrapped in a gateway packet of the given kind where
    // a gateway is the channel.
    virtual void sendFrame(const QByteArray& frame, codec::PacketKind kind, const OperationWords& words) = 0;
    // A text line for the display unit through a gateway (packet kind A1).
    virtual void sendDeviceCommand(const QByteArray& text) = 0;
    // What arrived within the last response timeout. GatewayReply and RawReply are left for the caller to
    // clear.
    virtual ReplyRead readReply(ReplyTimer timer) = 0;
    virtual void closeChannel() = 0;
    // What has arrived so far, taken at once without the gateway reload wait: the gateway's reply (gateways),
    // the LAN adapter's bytes, or the bytes waiting in the serial port. The secondary search waits one
    // response timeout itself before asking. GatewayReply and RawReply are left for the caller to clear.
    virtual SearchReply takeSearchReply() = 0;

    // A gateway command line over the serial port only. Returns true when the line was written (the caller
    // then starts its answer timer); logText, when not empty, is logged just before the line goes out.
    virtual bool sendGatewayLine(const QByteArray& line, GatewayLineScope scope, const QString& logText) = 0;
    // Drops what waits in the serial port: the input only, or input and output.
    virtual void discardSerialInput() = 0;
    virtual void discardSerialBuffers() = 0;
    // A primary scan stops the keep-alive pings of a gateway that called in.
    virtual void stopKeepAlive() = 0;
};

} // namespace holvex::links
