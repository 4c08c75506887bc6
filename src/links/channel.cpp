#include "links/channel.h"

#include "bus/line_timing.h"
#include "bus/run_state.h"
#include "codec/reply_frames.h"
#include "links/link_selection.h"
#include "links/link_set.h"
#include "log/log_sink.h"
#include "settings/settings.h"

#include <algorithm>

namespace holvex::links {

Channel::Channel(const Settings& settings, RunState& state, LogSink& log, LinkSet& links)
    : m_settings(settings), m_state(state), m_log(log), m_links(links) {}

Link& Channel::current() {
    return m_open != nullptr ? *m_open : m_links.link(linkKindFor(m_settings));
}

LinkKind Channel::kind() const {
    return m_open != nullptr ? m_open->kind() : linkKindFor(m_settings);
}

bool Channel::openChannel() {
    m_gatewayAnswerOnSerial = false;
    m_open = &m_links.link(linkKindFor(m_settings));
    return m_open->open();
}

bool Channel::openRoad(LinkKind road) {
    m_open = &m_links.link(road);
    return m_open->open();
}

void Channel::beginExchange(const QByteArray& request, std::optional<int> awaitedAddress) {
    m_request = request;
    m_awaitedAddress = awaitedAddress;
    m_answerSoFar.clear();
    m_periodsForRest = 0;
    m_awaiting = !request.isEmpty();
    m_sizeSeen = 0;
    m_sinceGrowth.start();
}

bool Channel::sendFrame(const QByteArray& frame, codec::PacketKind kind, const OperationWords& words) {
    Link& link = current();
    // A request starts from an empty input: what a slow meter sent after the last exchange ended is no
    // answer to this one.
    link.dropStaleInput();
    beginExchange(frame, codec::awaitedAddressOf(frame));
    const bool sent = link.sendFrame(frame, kind, words);
    if (sent && m_exchangeStarted) {
        m_exchangeStarted();
    }
    return sent;
}

bool Channel::sendLine(const QByteArray& line, const OperationWords& words) {
    beginExchange({}, std::nullopt);
    return current().sendLine(line, words);
}

QByteArray Channel::answerBytes(const QByteArray& fresh) const {
    if (!m_answerSoFar.isEmpty() || m_request.isEmpty() || fresh.isEmpty()) {
        return m_answerSoFar + fresh;
    }
    // Some level converters send every request back before the meter's answer.
    if (fresh.startsWith(m_request)) {
        return fresh.mid(m_request.size());
    }
    if (m_request.startsWith(fresh)) {
        return {}; // the echo is still arriving
    }
    return fresh;
}

bool Channel::answerSettled() {
    if (!m_awaiting || m_gatewayAnswerOnSerial) {
        return false;
    }
    const QByteArray bytes = answerBytes(current().peekReply());
    if (bytes.size() != m_sizeSeen) {
        m_sizeSeen = bytes.size();
        m_sinceGrowth.start();
        return false;
    }
    if (!codec::takeAwaitedReply(bytes, m_awaitedAddress).complete) {
        return false;
    }
    const LineTiming line = LineTiming::ofSpeed(m_settings.Speed);
    const qint64 quiet = m_awaitedAddress ? line.frameGapNs() : line.answerDelayNs();
    return m_sinceGrowth.nsecsElapsed() >= quiet;
}

ReplyRead Channel::readReply(ReplyTimer timer) {
    if (timer == ReplyTimer::FreeCommand && m_gatewayAnswerOnSerial) {
        return m_links.link(LinkKind::Serial).takeReply(timer);
    }
    return takeAnswerFrames(current().takeReply(timer), timer);
}

ReplyRead Channel::takeAnswerFrames(ReplyRead reply, ReplyTimer timer) {
    if (reply.waitAnotherPeriod) {
        return reply;
    }
    // The console logs whatever came back, as it came.
    if (m_request.isEmpty() || timer == ReplyTimer::FreeCommand) {
        m_awaiting = false;
        return reply;
    }
    const qsizetype heldBefore = m_answerSoFar.size();
    const QByteArray bytes = answerBytes(reply.bytes);
    m_answerSoFar.clear();
    const codec::AwaitedReply answer = codec::takeAwaitedReply(bytes, m_awaitedAddress);
    for (const int address : answer.ignored) {
        m_log.logLine(QStringLiteral("Answer from address %1 ignored while reading %2")
                          .arg(address)
                          .arg(m_awaitedAddress.value_or(0)));
    }
    if (answer.incomplete && restMayStillCome(bytes.size() > heldBefore)) {
        // The tick came while a long answer was still on the line (100 bytes take 458 ms at 2400 baud).
        ++m_periodsForRest;
        m_answerSoFar = answer.bytes;
        // Taken: the link's buffers must not hand the same bytes over again.
        m_state.RawReply.clear();
        m_state.GatewayReply.clear();
        m_sizeSeen = 0;
        return ReplyRead{{}, true};
    }
    m_awaiting = false;
    reply.bytes = answer.bytes;
    return reply;
}

bool Channel::restMayStillCome(bool grew) const {
    if (m_periodsForRest == 0) {
        return true;
    }
    // A whole period without a byte: the rest is not coming. Otherwise no longer than the longest frame
    // (255 data bytes and 6 of frame) takes on the line, so that a peer sending without end cannot hold the
    // operation.
    const qint64 longestFrameNs = 261 * LineTiming::ofSpeed(m_settings.Speed).byteNs();
    const qint64 periodNs = std::max<qint64>(1, m_settings.Timeout) * 1000000;
    return grew && m_periodsForRest <= longestFrameNs / periodNs + 1;
}

SearchReply Channel::takeSearchReply() {
    SearchReply reply = current().takeSearchReply();
    reply.bytes = answerBytes(reply.bytes);
    m_answerSoFar.clear();
    m_awaiting = false;
    return reply;
}

void Channel::closeChannel() {
    Link& link = current();
    m_open = nullptr;
    m_gatewayAnswerOnSerial = false;
    beginExchange({}, std::nullopt);
    m_state.FullReadRequested = false;
    link.close();
    Link& serial = m_links.link(LinkKind::Serial);
    if (&serial != &link) {
        serial.close();
    }
}

void Channel::discardInput() {
    current().discardInput();
}

void Channel::discardAll() {
    current().discardAll();
}

void Channel::stopKeepAlive() {
    m_links.stopKeepAlive();
}

void Channel::prepare() {
    m_links.link(linkKindFor(m_settings)).prepare();
}

bool gatewayLineRefused(GatewayLineScope scope, LinkKind road) {
    return road == LinkKind::LanAdapter || road == LinkKind::CallingGateway ||
           road == LinkKind::WirelessAdapter ||
           (scope == GatewayLineScope::NetworkSetting && road == LinkKind::ServerGateway);
}

bool Channel::sendGatewayLine(const QByteArray& line, GatewayLineScope scope, const QString& logText) {
    if (gatewayLineRefused(scope, kind())) {
        m_log.logLine(QStringLiteral("Setting of Ferrin-2 or Galdor-5 is only RS-232!"));
        return false;
    }
    Link& serial = m_links.link(LinkKind::Serial);
    if (!serial.open()) {
        return false;
    }
    if (!logText.isEmpty()) {
        m_log.logLine(logText);
    }
    OperationWords words;
    words.serial = QString::fromLatin1(line);
    beginExchange({}, std::nullopt);
    if (!serial.sendLine(line, words)) {
        return false;
    }
    // With the gateway of the server version chosen the road is not the serial port, yet the answer is there.
    m_gatewayAnswerOnSerial = true;
    return true;
}

bool Channel::serialPortOpen() const {
    return m_state.PortOpen;
}

bool Channel::writeSerialLine(const QByteArray& line, const OperationWords& words) {
    if (!m_state.PortOpen) {
        return false;
    }
    return m_links.link(LinkKind::Serial).sendLine(line, words);
}

QByteArray Channel::takeSerialBytes() {
    if (!m_state.PortOpen) {
        return {};
    }
    return m_links.link(LinkKind::Serial).takeReply(ReplyTimer::FreeCommand).bytes;
}

void Channel::discardSerialInput() {
    if (m_state.PortOpen) {
        m_links.link(LinkKind::Serial).discardInput();
    }
}

} // namespace holvex::links
