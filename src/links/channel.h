#pragma once

#include "links/link.h"

#include <QElapsedTimer>

#include <functional>
#include <optional>

namespace holvex {
struct RunState;
struct Settings;
class LogSink;
} // namespace holvex

namespace holvex::links {

class LinkSet;

// Which lines the RS-232 rule refuses on which road (the gateways take their settings on the service port).
enum class GatewayLineScope {
    NetworkSetting, // IP settings, "SET TEST" and every "GET": refused on any network road
    OtherSetting,   // refused with the LAN adapter or the gateways calling in, sent on the serial port
                    // otherwise
};

// Whether the RS-232 rule refuses a gateway line of the scope on the road.
bool gatewayLineRefused(GatewayLineScope scope, LinkKind road);

// The one channel the operations talk to. Opening it picks the road's link from the settings; every later
// call of the operation goes to that link until the channel is closed, so an operation never changes road in
// the middle. A call without an open channel (a keep-alive ping, a command that opens nothing) goes to the
// road the settings name at that moment.
class Channel {
public:
    Channel(const Settings& settings, RunState& state, LogSink& log, LinkSet& links);

    // Opens or connects the road of the settings; false when it is not ready.
    bool openChannel();
    // Opens the given road whatever the settings name, for a line a device takes on one road only (the
    // display unit builds its sort table on its RS-232 port); the operation then stays on that road.
    bool openRoad(LinkKind road);
    // One M-Bus frame (see Link::sendFrame); false when nothing went out because the road is down.
    bool sendFrame(const QByteArray& frame, codec::PacketKind kind, const OperationWords& words);
    // A text line of the maker's devices (see Link::sendLine).
    bool sendLine(const QByteArray& line, const OperationWords& words);
    // What arrived within the last response timeout. GatewayReply and RawReply are left for the caller to
    // clear. After a frame to one primary address, other meters' frames are left out with a log line and the
    // asked meter's frame is the answer; an answer cut by the tick is waited for another period, and again
    // while it keeps growing, as long as the longest frame could take on the line.
    ReplyRead readReply(ReplyTimer timer);
    // What has arrived so far, taken at once without the gateway reload wait.
    SearchReply takeSearchReply();

    // Called each time a frame request has gone out, for the watch that ends the wait early.
    void setExchangeStartedHandler(std::function<void()> handler) { m_exchangeStarted = std::move(handler); }
    // A frame request's answer is awaited: neither read nor given up yet.
    bool exchangeAwaited() const { return m_awaiting; }
    // The awaited answer is in whole and the line has stayed quiet since its last byte: one frame gap after
    // the answer of the one meter asked; after a request several meters may answer, the longest time a meter
    // may take to begin. Call it again and again while waiting: it notices the bytes growing between calls.
    bool answerSettled();
    // The end of an operation. The serial port closes whatever the road: a gateway line may have opened it.
    void closeChannel();
    void discardInput();
    void discardAll();
    void stopKeepAlive();
    // The road in use: the open channel's, or the one the settings name.
    LinkKind kind() const;
    // Each activation of the main window: what the road of the settings needs before it is used.
    void prepare();

    // A gateway setting line, over the serial port only: refused with "Setting of Ferrin-2 or Galdor-5 is
    // only RS-232!" on the roads the rule names. Returns true when the line was written (the caller then
    // starts its answer timer); logText, when not empty, is logged just before the line goes out. The gateway
    // answers on the serial port, so the next Timer_free_command read takes the serial port's bytes whatever
    // the road (until the channel is opened or closed again).
    bool sendGatewayLine(const QByteArray& line, GatewayLineScope scope, const QString& logText);

    // The wireless receiver's transparent output is switched and read on the serial port whatever the road:
    // these reach the port directly and do nothing while it is closed.
    bool serialPortOpen() const;
    bool writeSerialLine(const QByteArray& line, const OperationWords& words);
    QByteArray takeSerialBytes();
    void discardSerialInput();

private:
    Link& current();
    // A new request: nothing of an earlier exchange may be taken for its answer.
    void beginExchange(const QByteArray& request, std::optional<int> awaitedAddress);
    ReplyRead takeAnswerFrames(ReplyRead reply, ReplyTimer timer);
    // Whether another period is worth waiting for the rest of a cut answer; `grew`: bytes came in the last.
    bool restMayStillCome(bool grew) const;
    // The bytes of this exchange so far: a level converter's echo of the request is not the answer.
    QByteArray answerBytes(const QByteArray& fresh) const;

    const Settings& m_settings;
    RunState& m_state;
    LogSink& m_log;
    LinkSet& m_links;
    Link* m_open = nullptr;
    bool m_gatewayAnswerOnSerial = false;
    // The exchange under way: the frame sent (empty for a text line), to which meter, and the start of an
    // answer the tick cut.
    QByteArray m_request;
    std::optional<int> m_awaitedAddress;
    QByteArray m_answerSoFar;
    // The periods waited for the rest of a cut answer so far.
    int m_periodsForRest = 0;
    bool m_awaiting = false;
    // How much of the answer had arrived at the last look, and since when.
    qsizetype m_sizeSeen = 0;
    QElapsedTimer m_sinceGrowth;
    std::function<void()> m_exchangeStarted;
};

} // namespace holvex::links
